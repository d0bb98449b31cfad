"""What the image tests share: where the release launcher's build is, and its parts read with pefile.

The tests read the windows-x86 build named by LAUNCHER_WINDOWS_X86_DIR (CTest sets it, and
LAUNCHER_SOURCE_DIR, the checkout the build came from).
"""
import os

import pefile


def _environment(name):
    value = os.environ.get(name)
    if not value:
        raise RuntimeError('%s is not set: run the image tests through CTest '
                           '(ctest --preset host)' % name)
    return value


BUILD_DIR = _environment('LAUNCHER_WINDOWS_X86_DIR')
SOURCE_DIR = _environment('LAUNCHER_SOURCE_DIR')
SIGNED = os.path.join(BUILD_DIR, 'Launcher.exe')
UNSIGNED = os.path.join(BUILD_DIR, 'unsigned', 'Launcher.exe')
CERTIFICATES = os.path.join(BUILD_DIR, 'signing', 'certificates.pem')
RESOURCES = os.path.join(SOURCE_DIR, 'resources')

RT_ICON = 3
RT_GROUP_ICON = 14
RT_MANIFEST = 24


def require(path):
    """The path, once it is known to exist; a missing build is a plain failure, not a traceback."""
    if not os.path.isfile(path):
        raise AssertionError('%s is missing: build the windows-x86 preset first '
                             '(cmake --workflow --preset windows-x86, or tools/test)' % path)
    return path


def load(path=SIGNED):
    return pefile.PE(require(path))


def resources(pe):
    """Every resource as {(type, id, language): data}; a named type or entry keeps its name."""
    def key(entry):
        return entry.id if entry.name is None else str(entry.name)

    found = {}
    if not hasattr(pe, 'DIRECTORY_ENTRY_RESOURCE'):
        return found
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for item in kind.directory.entries:
            for language in item.directory.entries:
                data = language.data.struct
                found[(key(kind), key(item), key(language))] = pe.get_data(data.OffsetToData,
                                                                           data.Size)
    return found


def flag_names(value, table, prefix):
    """The names, less prefix, of the flags set in value, from one of pefile's flag tables."""
    return {name[len(prefix):] for name, bit in pefile.retrieve_flags(table, prefix)
            if value & bit}
