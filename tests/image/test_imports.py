"""The release launcher's imports: Windows' own DLLs only, and only functions that Windows XP's
versions of them export, so the launcher starts on XP. A new import, from the launcher or from a
new runtime, fails here until it is checked against XP and written into the list with its reason.
"""
import unittest

import pefile

import image

LAUNCHER = 'the launcher'
STARTUP = 'runtime start-up'
THREADS = 'runtime thread-local storage'
RELOCATION = 'runtime pseudo-relocations'
FRAMES = 'runtime unwinding tables'
ERRORS = 'runtime error report'

# Every function each DLL may give, and why it is there. All are in Windows XP's DLLs.
ALLOWED = {
    'advapi32.dll': {
        'RegOpenKeyExA': LAUNCHER + ': opens the framework policy key',
        'RegEnumKeyExA': LAUNCHER + ': lists its version subkeys',
        'RegCloseKey': LAUNCHER + ': closes it',
    },
    'shell32.dll': {
        'ShellExecuteA': LAUNCHER + ': opens the help page',
    },
    'kernel32.dll': {
        'CreateProcessA': LAUNCHER + ': starts the application',
        'CloseHandle': LAUNCHER + ': lets go of the started process and thread',
        'GetStartupInfoA': STARTUP + ': the show command handed to WinMain',
        'SetUnhandledExceptionFilter': STARTUP + ': turns a crash into a runtime signal',
        'Sleep': STARTUP + ': waits while another thread finishes the start-up',
        'InitializeCriticalSection': THREADS + ': the lock over its destructor list',
        'DeleteCriticalSection': THREADS + ': the same lock, at exit',
        'EnterCriticalSection': THREADS + ': the same lock',
        'LeaveCriticalSection': THREADS + ': the same lock',
        'TlsGetValue': THREADS + ': reads a thread\'s value for its destructor',
        'VirtualQuery': RELOCATION + ': finds the page of an auto-imported address',
        'VirtualProtect': RELOCATION + ': makes that page writable while it is patched',
        'GetLastError': RELOCATION + ': why that failed, for the report',
        'GetModuleHandleA': FRAMES + ': looks for a shared libgcc (there is none)',
        'LoadLibraryA': FRAMES + ': the same',
        'GetProcAddress': FRAMES + ': the same',
        'FreeLibrary': FRAMES + ': the same',
    },
    'msvcrt.dll': {
        'atoi': LAUNCHER + ': reads the version numbers',
        'exit': LAUNCHER + ' and ' + STARTUP + ': ends the process with its code',
        '__set_app_type': STARTUP + ': declares a GUI program',
        '__getmainargs': STARTUP + ': the command line and environment',
        '__initenv': STARTUP + ': the environment',
        '__p__acmdln': STARTUP + ': the command line, for WinMain',
        '__p__fmode': STARTUP + ': default file mode',
        '__p__commode': STARTUP + ': default commit mode',
        '__setusermatherr': STARTUP + ': maths error handler',
        '_initterm': STARTUP + ': static initialisation',
        '_onexit': STARTUP + ': exit handlers',
        '_cexit': STARTUP + ': runs them',
        '_amsg_exit': STARTUP + ': ends the process on a start-up failure',
        'signal': STARTUP + ': the crash handler raises signals',
        'malloc': STARTUP + ': copies the arguments and environment',
        'calloc': THREADS + ': destructor list',
        'free': THREADS + ': destructor list',
        'memcpy': STARTUP + ': the same',
        'strlen': STARTUP + ': the same, and finds a section by name',
        'strncmp': STARTUP + ': finds a section by name',
        '_iob': ERRORS + 's: standard error',
        'fprintf': ERRORS + ' of the maths error handler',
        'vfprintf': ERRORS + ' of the pseudo-relocations',
        'fwrite': ERRORS + ' of the pseudo-relocations',
        'abort': ERRORS + ' of the pseudo-relocations: ends the process',
    },
}


class ImportTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = image.load()

    def test_only_allowed_functions_of_windows_dlls(self):
        unexpected = []
        for entry in self.pe.DIRECTORY_ENTRY_IMPORT:
            dll = entry.dll.decode().lower()
            for function in entry.imports:
                # An import by ordinal names no function the list could vouch for.
                name = function.name.decode() if function.name else '#%d' % function.ordinal
                if name not in ALLOWED.get(dll, {}):
                    unexpected.append('%s!%s' % (dll, name))
        self.assertEqual(unexpected, [], 'imports not known to be in Windows XP')

    def test_no_delayed_or_bound_imports(self):
        # A delay-loaded import would pass the loader on XP and fail only when first called.
        self.assertFalse(hasattr(self.pe, 'DIRECTORY_ENTRY_DELAY_IMPORT'))
        self.assertFalse(hasattr(self.pe, 'DIRECTORY_ENTRY_BOUND_IMPORT'))


if __name__ == '__main__':
    unittest.main()
