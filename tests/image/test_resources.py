"""The release launcher's resources: its manifest and its icon group, and nothing else."""
import filecmp
import os
import struct
import subprocess
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

import image
from image import RT_GROUP_ICON, RT_ICON, RT_MANIFEST

ENGLISH_US = 1033
ENGLISH_AUSTRALIA = 3081
ICON_GROUP = 103
ICON_SIZES = (64, 48, 32, 24, 16)  # RT_ICON 1 to 5, in this order

ASM_V1 = '{urn:schemas-microsoft-com:asm.v1}'
ASM_V3 = '{urn:schemas-microsoft-com:asm.v3}'

# The manifest as (element, attributes, children): the caller's execution level, with no
# side-by-side dependency and no compatibility section.
MANIFEST = (ASM_V1 + 'assembly', {'manifestVersion': '1.0'}, [
    (ASM_V3 + 'trustInfo', {}, [
        (ASM_V3 + 'security', {}, [
            (ASM_V3 + 'requestedPrivileges', {}, [
                (ASM_V3 + 'requestedExecutionLevel', {'level': 'asInvoker', 'uiAccess': 'false'},
                 []),
            ]),
        ]),
    ]),
])

BITMAPINFOHEADER = struct.Struct('<IiiHHIIiiII')
BI_RGB = 0
GROUP_HEADER = struct.Struct('<HHH')          # reserved, type (1: icon), count
GROUP_ENTRY = struct.Struct('<BBBBHHIH')      # width, height, colours, reserved, planes, bits,
                                              # bytes, RT_ICON id


def element_tree(element):
    """An element as (tag, attributes, children); its text must be layout only."""
    for text in (element.text, element.tail):
        if text and text.strip():
            raise AssertionError('text %r in <%s>' % (text.strip(), element.tag))
    return (element.tag, dict(element.attrib), [element_tree(child) for child in element])


def icon_bitmap_size(size):
    """Bytes of a 32-bit icon image: header, colour and alpha, then a 1-bit mask whose rows are
    padded to 4 bytes."""
    return BITMAPINFOHEADER.size + size * size * 4 + (size + 31) // 32 * 4 * size


class ResourceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.resources = image.resources(image.load())

    def test_exactly_the_manifest_and_the_icon_group(self):
        expected = {(RT_MANIFEST, 1, ENGLISH_US), (RT_GROUP_ICON, ICON_GROUP, ENGLISH_AUSTRALIA)}
        expected |= {(RT_ICON, number, ENGLISH_AUSTRALIA) for number in range(1, 6)}
        self.assertEqual(set(self.resources), expected)

    def test_manifest(self):
        manifest = self.resources[(RT_MANIFEST, 1, ENGLISH_US)]
        self.assertEqual(element_tree(ElementTree.fromstring(manifest)), MANIFEST)

    def test_icon_group_lists_five_32_bit_images(self):
        group = self.resources[(RT_GROUP_ICON, ICON_GROUP, ENGLISH_AUSTRALIA)]
        self.assertEqual(GROUP_HEADER.unpack_from(group), (0, 1, len(ICON_SIZES)))
        self.assertEqual(len(group), GROUP_HEADER.size + GROUP_ENTRY.size * len(ICON_SIZES))
        entries = [GROUP_ENTRY.unpack_from(group, GROUP_HEADER.size + GROUP_ENTRY.size * index)
                   for index in range(len(ICON_SIZES))]
        expected = [(size, size, 0, 0, 1, 32, icon_bitmap_size(size), number)
                    for number, size in enumerate(ICON_SIZES, start=1)]
        self.assertEqual(entries, expected)

    def test_icon_images_are_uncompressed_32_bit_bitmaps(self):
        for number, size in enumerate(ICON_SIZES, start=1):
            with self.subTest(icon=number, size=size):
                data = self.resources[(RT_ICON, number, ENGLISH_AUSTRALIA)]
                self.assertFalse(data.startswith(b'\x89PNG'), 'a PNG image, which XP cannot show')
                header = BITMAPINFOHEADER.unpack_from(data)
                # Size of the header, width, height of colour and mask together, planes, bits,
                # compression.
                self.assertEqual(header[:6], (40, size, 2 * size, 1, 32, BI_RGB))
                self.assertEqual(len(data), icon_bitmap_size(size))
                alpha = data[BITMAPINFOHEADER.size + 3:BITMAPINFOHEADER.size + size * size * 4:4]
                self.assertTrue(any(alpha), 'no alpha channel: the icon would show as a square')


class IconSourceTest(unittest.TestCase):
    """The committed icon is the one its sources make, and the one the image carries."""

    def test_icon_is_made_from_its_sources(self):
        with tempfile.TemporaryDirectory() as scratch:
            subprocess.run([os.path.join(image.RESOURCES, 'make-icon'), scratch], check=True)
            names = ['launcher.ico'] + ['icon/launcher-%d.png' % size for size in ICON_SIZES]
            for name in names:
                with self.subTest(name=name):
                    self.assertTrue(filecmp.cmp(os.path.join(scratch, name),
                                                os.path.join(image.RESOURCES, name),
                                                shallow=False),
                                    'resources/%s is not what resources/make-icon makes' % name)

    def test_image_carries_the_committed_icon(self):
        resources = image.resources(image.load())
        with open(os.path.join(image.RESOURCES, 'launcher.ico'), 'rb') as icon_file:
            icon = icon_file.read()
        count = GROUP_HEADER.unpack_from(icon)[2]
        for index in range(count):
            # An icon file's entry ends with the image's size and offset in the file.
            size, offset = struct.unpack_from('<II', icon, GROUP_HEADER.size + 16 * index + 8)
            with self.subTest(icon=index + 1):
                self.assertEqual(resources[(RT_ICON, index + 1, ENGLISH_AUSTRALIA)],
                                 icon[offset:offset + size])


if __name__ == '__main__':
    unittest.main()
