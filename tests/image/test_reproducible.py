"""Two clean builds of the release from the same sources give the same unsigned image, byte for
byte, so anyone can check a shipped launcher against its commit. The two build trees lie at
different paths, which must not show in the image either."""
import os
import subprocess
import tempfile
import unittest

import pefile

import image


def build_unsigned(build_dir):
    """Configures the windows-x86 preset into build_dir, builds the unsigned image, returns it."""
    # The builder's certificate plays no part in the unsigned image.
    environment = {name: value for name, value in os.environ.items()
                   if not name.startswith('LAUNCHER_SIGNING_')}
    for command in (['cmake', '--preset', 'windows-x86', '-B', build_dir],
                    ['cmake', '--build', build_dir, '--target', 'Launcher']):
        result = subprocess.run(command, cwd=image.SOURCE_DIR, env=environment,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if result.returncode != 0:
            raise AssertionError('%s failed:\n%s' % (' '.join(command), result.stdout))
    with open(os.path.join(build_dir, 'unsigned', 'Launcher.exe'), 'rb') as launcher:
        return launcher.read()


def where(data, offset):
    """Names the part of the image that holds a file offset, for the failure message."""
    pe = pefile.PE(data=data, fast_load=True)
    for section in pe.sections:
        if section.PointerToRawData <= offset < section.PointerToRawData + section.SizeOfRawData:
            return 'section %s' % section.Name.rstrip(b'\0').decode()
    return 'the headers' if offset < pe.OPTIONAL_HEADER.SizeOfHeaders else 'no section'


class ReproducibleTest(unittest.TestCase):
    def test_two_clean_builds_give_the_same_unsigned_image(self):
        with tempfile.TemporaryDirectory(prefix='launcher-reproducible-') as scratch:
            first = build_unsigned(os.path.join(scratch, 'first'))
            second = build_unsigned(os.path.join(scratch, 'second-build'))
        if first != second:
            offset = next((index for index, (a, b) in enumerate(zip(first, second)) if a != b),
                          min(len(first), len(second)))
            self.fail('the images differ (%d and %d bytes), first at offset %#x, in %s'
                      % (len(first), len(second), offset, where(first, offset)))


if __name__ == '__main__':
    unittest.main()
