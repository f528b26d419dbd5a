#!/usr/bin/env python3
"""Builds the world the program meets in the demo and the whole-program tests.

    make_demo_world.py <served folder> <host folder> [--package-mib N] [--no-device]
                       [--devices N] [--bare-exe]

<served folder> becomes what the maker's download server holds: the device
list (list_20260509_1.1.16.xml, the name the program asks for in region
"cn"), the device pictures and the packages, ZIP archives whose installer is
tools/fake_installer.py under a name that chooses its dialog pages:

  QX4     (product ID 0x0104)  Tessel Max (new build, with driver), HubDriver, Plugin
  Arc 2   (product ID 0x00A1)  Vortex Deck, KeyWeave
  Nova    (product ID 0x1A2A)  Tessel Lite (with driver)

<host folder> becomes a simulated Windows 10 (22H2), 64-bit, with the QX4
plugged in (unless --no-device). The Tessel Max package is padded to about
--package-mib MiB (default 24) so that its download takes a moment.

--devices N fills the list up to N devices with made-up ones, five items each
(a picture, shared by all of them, and four packages the server does not
have), for a long list in manual selection. --bare-exe makes the QX4's Tessel
Max package a bare installer (tesselmax/VelmoraTesselMaxSetup.success.exe)
instead of a ZIP archive.

The host's file "signatures" says that every copy of the fake installer is
signed by the maker (--publisher, "Velmora Studio" unless told), so the
program starts it.
"""

import argparse
import hashlib
import os
import random
import shutil
import subprocess
import sys
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
FAKE_INSTALLER = os.path.join(HERE, "fake_installer.py")

DEVICE_LIST = """<?xml version="1.0" encoding="UTF-8"?>
<list driverBaseUrl="https://download.velmora.com/drivers"
      driverBaseUrlCN=""
      driverBaseUrlWin7="http://download.velmora.com/drivers"
      pluginWebUrl="https://www.velmora.com/user-center">
  <oldWin10Whitelist>
    <pid>0x0104</pid>
  </oldWin10Whitelist>

  <item pid="260" name="QX4" type="pic" file="pictures/qx4.png"/>
  <item pid="260" name="QX4" area="cn/en" type="tesselmax_notqt+dri" os="win10" osbit="64" file="tesselmax/TesselMax 2.1.zip"/>
  <item pid="260" name="QX4" area="cn/en" type="qx4" os="win" osbit="32" file="qx4/HubDriver_4.2_x86.zip"/>
  <item pid="260" name="QX4" area="cn/en" type="qx4" os="win" osbit="64" file="qx4/HubDriver_4.2_x64.zip"/>
  <item pid="260" name="QX4" area="cn/en" type="plugin" os="win" file="plugin/ShortcutPlugin.zip"/>

  <item pid="161" name="Arc 2" type="pic" file="pictures/arc2.png"/>
  <item pid="161" name="Arc 2" area="cn/en" type="vortexdeck" os="win" file="arc2/VortexDeck Setup 3.0.zip"/>
  <item pid="161" name="Arc 2" area="cn/en" type="keyweave" os="win10" file="arc2/KeyWeave_2.4.zip"/>

  <item pid="6698" name="Nova" type="pic" file="pictures/nova.png"/>
  <item pid="6698" name="Nova" area="" type="tessellite+dri" os="win" file="nova/TesselLite_1.8.zip"/>
</list>
"""

# package file -> [(path inside the archive, installer or None for a data file)]
PACKAGES = {
    "tesselmax/TesselMax 2.1.zip": [("Tessel Max 2.1/QX4 Tessel Max Setup.success.exe", True),
                                    ("Tessel Max 2.1/readme.txt", False)],
    "qx4/HubDriver_4.2_x86.zip": [("x86/Velmora HubDriver Setup.success.exe", True)],
    "qx4/HubDriver_4.2_x64.zip": [("x86/Velmora HubDriver Setup.success.exe", True),
                                  ("x64/Velmora HubDriver Setup.success.exe", True)],
    "plugin/ShortcutPlugin.zip": [("Plugin/Velmora Shortcut Plugin.silent.exe", True)],
    "arc2/VortexDeck Setup 3.0.zip": [("VortexDeck/Vortex Deck Setup.silent.exe", True)],
    "arc2/KeyWeave_2.4.zip": [("KeyWeave/Arc 2 KeyWeave Setup.success.exe", True)],
    "nova/TesselLite_1.8.zip": [("Tessel Lite/Nova Tessel Lite Setup.success.exe", True)],
}

PICTURES = {
    "pictures/qx4.png": ("QX4", "#1f6f8b"),
    "pictures/arc2.png": ("Arc 2", "#8b4a1f"),
    "pictures/nova.png": ("Nova", "#4a1f8b"),
}


MADE_UP_TYPES = ("vortexdeck", "keyweave", "qx4", "plugin")
BARE_INSTALLER = "tesselmax/VelmoraTesselMaxSetup.success.exe"


def device_list(devices, bare_exe):
    """The list's text: the three devices above, then made-up ones up to `devices`."""
    text = DEVICE_LIST
    if bare_exe:
        text = text.replace('file="tesselmax/TesselMax 2.1.zip"', 'file="%s"' % BARE_INSTALLER)
    items = []
    for index in range(max(0, devices - 3)):
        pid = 0x3000 + index
        name = "Made-up %d" % (index + 1)
        items.append('  <item pid="%d" name="%s" type="pic" file="pictures/made-up.png"/>' % (pid, name))
        for number, kind in enumerate(MADE_UP_TYPES):
            items.append('  <item pid="%d" name="%s" area="cn/en" type="%s" os="win" file="made-up/%04x-%d.zip"/>'
                         % (pid, name, kind, pid, number))
    if items:
        text = text.replace("</list>", "\n".join(items) + "\n</list>")
    return text


def write_package(path, entries, padding_bytes):
    script = open(FAKE_INSTALLER, "rb").read()
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, is_installer in entries:
            if is_installer:
                archive.writestr(name, script)
            else:
                archive.writestr(name, "Read me first.\n")
        if padding_bytes > 0:
            # Incompressible data, stored: the archive's size is what the
            # download moves. Written in pieces, so any size fits in memory.
            info = zipfile.ZipInfo("Tessel Max 2.1/data/resources.bin")
            info.compress_type = zipfile.ZIP_STORED
            info.file_size = padding_bytes
            generator = random.Random(7)
            piece = 16 * 1024 * 1024
            with archive.open(info, "w", force_zip64=padding_bytes >= 0x7FFFFFFF) as out:
                for offset in range(0, padding_bytes, piece):
                    out.write(generator.randbytes(min(piece, padding_bytes - offset)))


def draw_picture(path, label, colour):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    command = ["convert", "-size", "400x300", "xc:white",
               "-fill", colour, "-draw", "roundrectangle 40,60 360,240 24,24",
               "-fill", "#d9d9d9", "-draw", "circle 120,150 120,105",
               "-fill", "#d9d9d9", "-draw", "circle 280,150 280,105",
               "-fill", "white", "-font", "DejaVu-Sans-Bold", "-pointsize", "36",
               "-gravity", "center", "-annotate", "+0+0", label,
               "-strip", path]
    subprocess.run(command, check=True)


PNPUTIL = """#!/bin/sh
# The driver store of the simulated host, listed in pnputil's layout.
if [ "$1" = "/enum-drivers" ]; then
    printf 'Microsoft PnP Utility\\r\\n\\r\\n'
    printf 'Published Name:     oem7.inf\\r\\nOriginal Name:      velmora_qx4.inf\\r\\nProvider Name:      Velmora\\r\\n\\r\\n'
    printf 'Published Name:     oem9.inf\\r\\nOriginal Name:      usbaudio_generic.inf\\r\\nProvider Name:      Contoso\\r\\n\\r\\n'
fi
"""


def describe_signatures(host, publisher):
    """The simulated host's word on the installers' signatures: one line per
    program, its SHA-256 and the verdict."""
    with open(FAKE_INSTALLER, "rb") as installer:
        digest = hashlib.sha256(installer.read()).hexdigest()
    with open(os.path.join(host, "signatures"), "w") as out:
        out.write("%s signed by %s\n" % (digest, publisher))


def make_host(host, with_device):
    if os.path.isdir(host):
        shutil.rmtree(host)
    for folder in ("Users/user/Desktop", "Users/Public/Desktop", "ProgramData", "Temp", "System32", "usb"):
        os.makedirs(os.path.join(host, folder), exist_ok=True)
    with open(os.path.join(host, "windows-version"), "w") as out:
        out.write("10.0.19045\n")
    with open(os.path.join(host, "wow64"), "w") as out:
        out.write("1\n")
    pnputil = os.path.join(host, "System32", "pnputil.exe")
    with open(pnputil, "w") as out:
        out.write(PNPUTIL)
    os.chmod(pnputil, 0o755)
    if with_device:
        with open(os.path.join(host, "usb", "qx4.device"), "w") as out:
            out.write("USB\\VID_2C7D&PID_0104&REV_0100\nVelmora QX4 Audio Interface\n")


def main():
    parser = argparse.ArgumentParser(description="Builds the demo's server folder and simulated host.")
    parser.add_argument("served")
    parser.add_argument("host")
    parser.add_argument("--package-mib", type=int, default=24)
    parser.add_argument("--no-device", action="store_true")
    parser.add_argument("--devices", type=int, default=3)
    parser.add_argument("--bare-exe", action="store_true")
    parser.add_argument("--publisher", default="Velmora Studio")
    args = parser.parse_args()

    os.makedirs(args.served, exist_ok=True)
    with open(os.path.join(args.served, "list_20260509_1.1.16.xml"), "w", encoding="utf-8") as out:
        out.write(device_list(args.devices, args.bare_exe))

    if args.bare_exe:
        bare = os.path.join(args.served, BARE_INSTALLER)
        os.makedirs(os.path.dirname(bare), exist_ok=True)
        shutil.copyfile(FAKE_INSTALLER, bare)

    for name, entries in PACKAGES.items():
        padding = args.package_mib * 1024 * 1024 if name.startswith("tesselmax/") else 0
        write_package(os.path.join(args.served, name), entries, padding)

    pictures = dict(PICTURES)
    if args.devices > 3:
        pictures["pictures/made-up.png"] = ("Made-up", "#3f3f3f")
    for name, (label, colour) in pictures.items():
        draw_picture(os.path.join(args.served, name), label, colour)

    make_host(args.host, not args.no_device)
    describe_signatures(args.host, args.publisher)
    return 0


if __name__ == "__main__":
    sys.exit(main())
