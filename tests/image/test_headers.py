"""The release launcher's header: what kind of program Windows sees, and from which version on."""
import unittest

import pefile

import image

MIB = 1024 * 1024
KIB = 1024


class HeaderTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = image.load()
        cls.optional = cls.pe.OPTIONAL_HEADER

    def test_pe32_for_i386(self):
        self.assertEqual(self.pe.FILE_HEADER.Machine, pefile.MACHINE_TYPE['IMAGE_FILE_MACHINE_I386'])
        self.assertEqual(self.optional.Magic, pefile.OPTIONAL_HEADER_MAGIC_PE)

    def test_file_flags(self):
        flags = image.flag_names(self.pe.FILE_HEADER.Characteristics, pefile.IMAGE_CHARACTERISTICS,
                                 'IMAGE_FILE_')
        # What the linker says it left out (line numbers, symbols, debug data) changes nothing.
        flags -= {'LINE_NUMS_STRIPPED', 'LOCAL_SYMS_STRIPPED', 'DEBUG_STRIPPED'}
        # No RELOCS_STRIPPED (the image could not move), no DLL, no LARGE_ADDRESS_AWARE.
        self.assertEqual(flags, {'EXECUTABLE_IMAGE', '32BIT_MACHINE'})

    def test_relocations_kept(self):
        # Address-space randomisation moves the image, which needs its base relocations.
        relocations = self.optional.DATA_DIRECTORY[
            pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_BASERELOC']]
        self.assertGreater(relocations.Size, 0)
        self.assertIn(b'.reloc', [section.Name.rstrip(b'\0') for section in self.pe.sections])

    def test_gui_program_for_windows_xp(self):
        self.assertEqual(self.optional.Subsystem, pefile.SUBSYSTEM_TYPE['IMAGE_SUBSYSTEM_WINDOWS_GUI'])
        versions = {
            'operating system': (self.optional.MajorOperatingSystemVersion,
                                 self.optional.MinorOperatingSystemVersion),
            'subsystem': (self.optional.MajorSubsystemVersion, self.optional.MinorSubsystemVersion),
        }
        self.assertEqual(versions, {'operating system': (5, 1), 'subsystem': (5, 1)})

    def test_dll_characteristics(self):
        flags = image.flag_names(self.optional.DllCharacteristics, pefile.DLL_CHARACTERISTICS,
                                 'IMAGE_DLLCHARACTERISTICS_')
        self.assertEqual(flags, {'DYNAMIC_BASE', 'NX_COMPAT', 'TERMINAL_SERVER_AWARE'})

    def test_stack_and_heap(self):
        sizes = {
            'stack reserve': self.optional.SizeOfStackReserve,
            'stack commit': self.optional.SizeOfStackCommit,
            'heap reserve': self.optional.SizeOfHeapReserve,
            'heap commit': self.optional.SizeOfHeapCommit,
        }
        self.assertEqual(sizes, {'stack reserve': MIB, 'stack commit': 4 * KIB,
                                 'heap reserve': MIB, 'heap commit': 4 * KIB})

    def test_no_time_stamp_and_no_symbols(self):
        # Both would make two builds of one commit differ.
        self.assertEqual(self.pe.FILE_HEADER.TimeDateStamp, 0)
        self.assertEqual((self.pe.FILE_HEADER.PointerToSymbolTable,
                          self.pe.FILE_HEADER.NumberOfSymbols), (0, 0))
        self.assertFalse(hasattr(self.pe, 'DIRECTORY_ENTRY_DEBUG'), 'a debug directory')
        # Debug sections have long names, which the image stores as "/N" string-table offsets.
        names = [section.Name.rstrip(b'\0').decode() for section in self.pe.sections]
        self.assertEqual([name for name in names if name.startswith(('/', '.debug'))], [])


if __name__ == '__main__':
    unittest.main()
