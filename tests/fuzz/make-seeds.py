#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into seeds/<target>/ (they are
kept in the repository; run this again after changing it)."""

import io
import os
import stat
import zipfile

here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(here, "seeds", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))


# The device list: the first byte chooses the Windows (0: 7 32-bit, 1: 10
# 1809, 2: 11, 3: unknown), the rest is the list.
LIST = """<?xml version="1.0"?>
<list driverBaseUrl="https://download.example.test" pluginWebUrl="https://www.example.test/plugins">
  <item pid="260" name="QX4" type="pic" file="pictures/qx4.png"/>
  <item pid="260" name="QX4" type="tesselmax_notqt+dri" os="win10" file="tesselmax/TesselMax 2.1.zip"/>
  <item pid="260" name="QX4" type="qx4" os="win" osbit="64" file="qx4/HubDriver_4.2_x64.zip"/>
  <item pid="260" name="QX4" type="qx4" os="win" osbit="32" file="qx4/HubDriver_4.2_x86.zip"/>
  <item pid="260" name="QX4" type="plugin" area="cn/en" os="win" file="https://other.example.test/plugin.exe"/>
  <item pid="161" name="Arc 2" type="vortexdeck" os="win" file="arc2/VortexDeck Setup 3.0.exe"/>
  <item pid="161" name="Arc 2" type="keyweave_oldkeyweave" os="win7" file="arc2/KeyWeave.zip"/>
  <item pid="0x1A2A" name="Arc 2" type="enqx3" os="win11" file="../../escape.zip"/>
  <oldwin10 pid="260" list="17763,18362"/>
</list>
"""
for host in range(4):
    write("FuzzDeviceList", "list-host%d.xml" % host, bytes([host]) + LIST.encode())
write("FuzzDeviceList", "empty-list", b"\x01<list/>")
write("FuzzDeviceList", "other-root", b"\x02<LIST><ITEM PID='260' NAME='\xe4\xb8\xad' TYPE='pic'/></LIST>")

# Texts: headers, addresses, statuses, a pnputil listing.
texts = {
    "content-range": "bytes 125-249/1000",
    "content-range-star": "bytes 0-0/*",
    "location-absolute": "https://cdn.example.test/a/b.zip?x=1",
    "location-relative": "../moved/file.zip",
    "location-scheme": "file:///etc/passwd",
    "address": "https://download.example.test/pkg/Tessel%20Max%202.1.zip?token=abc#part",
    "windows-name": "C:\\Users\\x\\..\\CON.exe:stream",
    "progress": "25.000000% 512000",
    "failure": "Unfortunately the installation failed (7)",
    "pnputil": "QX4 Audio\r\nPublished Name:     oem12.inf\r\nOriginal Name:      velmora_qx4.inf\r\n"
               "Published Name: oem13.inf\r\nOriginal Name: velmora_arc2.inf\r\n",
}
for name, text in texts.items():
    write("FuzzTexts", name, text)


def archive(name, entries):
    """entries: (name, data, unix mode or None)"""
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", zipfile.ZIP_DEFLATED) as z:
        for entry, data, mode in entries:
            info = zipfile.ZipInfo(entry)
            info.compress_type = zipfile.ZIP_DEFLATED
            if mode is not None:
                info.create_system = 3
                info.external_attr = mode << 16
            z.writestr(info, data)
    write("FuzzArchive", name, buffer.getvalue())


archive("package.zip", [("Tessel Max 2.1/Setup.exe", b"MZ", None), ("Tessel Max 2.1/readme.txt", b"hi", None)])
archive("two-architectures.zip", [("x86/Setup.exe", b"MZ", None), ("x64/Setup.exe", b"MZ", None)])
archive("climbs-out.zip", [("../../evil.exe", b"MZ", None), ("a/../../b.exe", b"MZ", None)])
archive("absolute.zip", [("/tmp/stratoset-absolute.exe", b"MZ", None), ("C:\\Windows\\evil.exe", b"MZ", None)])
archive("device-names.zip", [("CON.exe", b"MZ", None), ("dir/NUL", b"x", None), ("aux:stream.exe", b"MZ", None)])
archive("link-out.zip", [("escape", b"../..", stat.S_IFLNK | 0o777), ("escape/evil.exe", b"MZ", None)])
archive("link-to-exe.zip", [("Setup.exe", b"/bin/sh", stat.S_IFLNK | 0o777)])

# A huge declared size: the central directory says 4 GiB for a tiny entry.
data = bytearray(open(os.path.join(here, "seeds", "FuzzArchive", "package.zip"), "rb").read())
central = data.rfind(b"PK\x01\x02")
data[central + 24:central + 28] = (0xFFFFFFF0).to_bytes(4, "little")
write("FuzzArchive", "huge-declared-size.zip", bytes(data))
