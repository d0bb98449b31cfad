"""The release launcher's signature: a SHA-1 Authenticode signature for Windows XP with a nested
SHA-256 one for current Windows, both made with the build's certificate over this very image."""
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest

import pefile

import image

WIN_CERT_REVISION_2_0 = 0x0200
WIN_CERT_TYPE_PKCS_SIGNED_DATA = 0x0002


def verify(path):
    """osslsigncode's verdict on path against the build's certificates: (exit code, output)."""
    result = subprocess.run(['osslsigncode', 'verify', '-CAfile', image.require(image.CERTIFICATES),
                             '-in', path], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True)
    return result.returncode, result.stdout


class SignatureTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = image.load(image.SIGNED)
        cls.security = cls.pe.OPTIONAL_HEADER.DATA_DIRECTORY[
            pefile.DIRECTORY_ENTRY['IMAGE_DIRECTORY_ENTRY_SECURITY']]
        with open(image.SIGNED, 'rb') as signed:
            cls.signed = signed.read()

    def test_signature_in_the_security_directory(self):
        # The directory holds a file offset here, not an address: the certificate table is
        # appended after the image, 8-byte aligned, up to the end of the file.
        offset, size = self.security.VirtualAddress, self.security.Size
        self.assertGreater(size, 0, 'no signature')
        self.assertEqual(offset % 8, 0)
        self.assertEqual(offset + size, len(self.signed))
        length, revision, kind = struct.unpack_from('<IHH', self.signed, offset)
        self.assertEqual((revision, kind), (WIN_CERT_REVISION_2_0, WIN_CERT_TYPE_PKCS_SIGNED_DATA))
        self.assertLessEqual(length, size)

    def test_signed_image_is_the_unsigned_one(self):
        # Signing writes the checksum and the security directory entry, pads the image to 8
        # bytes and appends the certificate table; every other byte is the linker's.
        with open(image.require(image.UNSIGNED), 'rb') as unsigned_file:
            unsigned = bytearray(unsigned_file.read())
        offset = self.security.VirtualAddress
        self.assertLess(offset - len(unsigned), 8)
        unsigned += bytes(offset - len(unsigned))
        signed = bytearray(self.signed[:offset])
        for field, size in ((self.pe.OPTIONAL_HEADER.get_field_absolute_offset('CheckSum'), 4),
                            (self.security.get_file_offset(), 8)):
            signed[field:field + size] = unsigned[field:field + size]
        self.assertTrue(signed == unsigned, 'Launcher.exe is not unsigned/Launcher.exe, signed')

    def test_both_signatures_verify_against_the_build_certificate(self):
        code, output = verify(image.SIGNED)
        self.assertEqual(code, 0, output)
        # Index 0 is the primary signature, index 1 the one nested in it.
        digests = re.findall(r'^Signature Index: (\d+).*?^Message digest algorithm\s*: (\w+)',
                             output, re.MULTILINE | re.DOTALL)
        self.assertEqual(digests, [('0', 'SHA1'), ('1', 'SHA256')], output)
        self.assertIn('Number of verified signatures: 2', output)

    def test_one_changed_byte_of_code_fails_verification(self):
        text = next(section for section in self.pe.sections if section.Name.startswith(b'.text'))
        with tempfile.TemporaryDirectory() as scratch:
            changed = os.path.join(scratch, 'Launcher.exe')
            shutil.copyfile(image.SIGNED, changed)
            with open(changed, 'r+b') as launcher:
                launcher.seek(text.PointerToRawData + text.SizeOfRawData // 2)
                byte = launcher.read(1)[0]
                launcher.seek(-1, os.SEEK_CUR)
                launcher.write(bytes([byte ^ 0xFF]))
            code, output = verify(changed)
        self.assertNotEqual(code, 0, output)
        self.assertEqual(output.count('MISMATCH'), 2, output)


if __name__ == '__main__':
    unittest.main()
