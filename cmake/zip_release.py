"""Writes one release zip: the given files, in the given order, each with a
fixed time and mode, so that the same files give the same bytes.

    zip_release.py <zip> <file>...

CMake's own `cmake -E tar --format=zip` records each file's access and
creation times from the disk, which no option of it fixes."""
import os
import sys
import zipfile

with zipfile.ZipFile(sys.argv[1], "w") as archive:
    for path in sys.argv[2:]:
        entry = zipfile.ZipInfo(os.path.basename(path), date_time=(2000, 1, 1, 0, 0, 0))
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o100644 << 16
        entry.create_system = 3  # Unix, so that the mode above is read
        with open(path, "rb") as source:
            archive.writestr(entry, source.read(), compresslevel=9)
