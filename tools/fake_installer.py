#!/usr/bin/env python3
"""A stand-in for one of Velmora's installers on the simulated Windows host.

It is copied (or unpacked) under a name ending in ".exe" and started the way
the program starts installers. What it does is chosen by its file name,
"<title>.<scenario>.exe", or by the arguments --scenario=NAME and
--title=TEXT:

  silent    no dialog: it ends at once (the default, for names without a
            scenario word)
  chatty    no dialog, but first 1 MiB on standard output and as much on
            standard error
  success   language choice, INSTALL, driver installation, "completed" + E&xit
  reboot    language choice, INSTALL, driver installation, "Reboot later"
  failure   language choice, INSTALL, driver installation, failure page (7)
  busy      no dialog, but 90 seconds of work before it ends
  stuck     language choice, then an INSTALL page whose button does nothing
  hung      a language choice that never takes a press (a dialog that does
            not answer: the press stays where it was put)

The dialog is a top-level "#32770" window of the simulated host: the file
windows/<pid>.window below $STRATOSET_SIMULATED_HOST (format in README.md),
rewritten in one step for every page. A press arrives as windows/<pid>.press
holding the control's id; the installer shows the next page (or removes its
window) and only then removes the press. The driver installation page moves
on by itself after half a second. A page left without an expected press for
60 seconds ends the installer, so it never lingers.

Every run appends one JSON line to "<own path>.record": the program's path,
its arguments, the pages shown, the texts of the controls pressed, and the
outcome.

An installation that ends well installs its program as a real installer
would: "<host>/Program Files/Velmora/<product>/<product without blanks>.exe"
(the product is the title without a trailing " Setup"), a script that notes
each start and the folder it was started in, in "<program>.started", and a
shortcut to it on the all-users desktop, "<host>/Users/Public/Desktop/<product>.lnk"
(a symbolic link, as shortcuts are on the simulated host). With
STRATOSET_DEMO set, the program also shows a small window (xmessage).
"""

import json
import os
import signal
import sys
import time

DRIVER_INSTALL_SECONDS = 0.5
PAGE_TIMEOUT_SECONDS = 60.0
POLL_SECONDS = 0.01

SCENARIOS = {
    "silent": [],
    "chatty": [],
    "success": ["language", "start", "installing", "completed"],
    "reboot": ["language", "start", "installing", "reboot question"],
    "failure": ["language", "start", "installing", "failed"],
    "busy": [],
    "stuck": ["language", "stuck start"],
    "hung": ["hung language"],
}

BUSY_SECONDS = 90.0


def page_controls(page, title):
    """The controls of a page: (class, text, what a press does)."""
    if page in ("language", "hung language"):
        return [("Static", "Please choose your language below:", None),
                ("ComboBox", "English", None),
                ("Button", "OK", "next"),
                ("Button", "Cancel", "cancelled")]
    if page == "start":
        return [("Static", "Welcome to the " + title + " wizard.", None),
                ("Static", "Click INSTALL to start the installation.", None),
                ("Button", "INSTALL", "next"),
                ("Button", "Cancel", "cancelled")]
    if page == "stuck start":
        return [("Static", "Welcome to the " + title + " wizard.", None),
                ("Static", "Click INSTALL to start the installation.", None),
                ("Button", "INSTALL", None),
                ("Button", "Cancel", "cancelled")]
    if page == "installing":
        return [("Static", "Please wait.", None),
                ("Static", "Installing USB drivers.", None)]
    if page == "completed":
        return [("Static", "Installation complete", None),
                ("Static", "The installation completed successfully. It's not necessary to reboot.", None),
                ("Button", "E&xit", "installed")]
    if page == "reboot question":
        return [("Static", "Installation complete", None),
                ("Static", "The computer must be restarted to finish the installation.", None),
                ("Button", "Reboot now", "reboot now"),
                ("Button", "Reboot later", "installed")]
    if page == "failed":
        return [("Static", "Installation failed", None),
                ("Static", "Unfortunately the installation failed. (7)", None),
                ("Button", "E&xit", "failed")]
    raise ValueError(page)


EXIT_CODES = {"installed": 0, "reboot now": 0, "failed": 7, "cancelled": 2, "abandoned": 3, "no host": 4,
              "terminated": 5}


class Run:
    def __init__(self, argv):
        self.program = os.path.abspath(argv[0])
        self.arguments = argv[1:]
        name = os.path.basename(self.program)
        stem = name[:-4] if name.lower().endswith(".exe") else name
        title, _, word = stem.rpartition(".")
        if title and word in SCENARIOS:
            self.scenario, self.title = word, title
        else:
            self.scenario, self.title = "silent", stem
        for argument in self.arguments:
            if argument.startswith("--scenario="):
                self.scenario = argument.split("=", 1)[1]
            elif argument.startswith("--title="):
                self.title = argument.split("=", 1)[1]
        self.pages = []
        self.presses = []
        self.window = None
        self.press = None

    def install_program(self):
        host = os.environ.get("STRATOSET_SIMULATED_HOST", "")
        if not host:
            return
        product = self.title[:-len(" Setup")] if self.title.endswith(" Setup") else self.title
        folder = os.path.join(host, "Program Files", "Velmora", product)
        os.makedirs(folder, exist_ok=True)
        program = os.path.join(folder, product.replace(" ", "") + ".exe")
        with open(program, "w", encoding="utf-8") as out:
            out.write("#!/bin/sh\n"
                      "# " + product + ", installed by the fake installer: notes each start.\n"
                      "pwd >> \"$0.started\"\n"
                      "if [ -n \"${STRATOSET_DEMO:-}\" ] && command -v xmessage > /dev/null; then\n"
                      "    exec xmessage -center -timeout 60 \"" + product + " is running.\"\n"
                      "fi\n")
        os.chmod(program, 0o755)
        desktop = os.path.join(host, "Users", "Public", "Desktop")
        os.makedirs(desktop, exist_ok=True)
        shortcut = os.path.join(desktop, product + ".lnk")
        if os.path.lexists(shortcut):
            os.remove(shortcut)
        os.symlink(program, shortcut)

    def record(self, outcome):
        self.close_window()
        if outcome == "installed":
            self.install_program()
        line = json.dumps({"program": self.program, "arguments": self.arguments, "scenario": self.scenario,
                           "pages": self.pages, "presses": self.presses, "outcome": outcome})
        with open(self.program + ".record", "a", encoding="utf-8") as out:
            out.write(line + "\n")
        return EXIT_CODES.get(outcome, 1)

    def show(self, page):
        controls = page_controls(page, self.title)
        description = {"owner": os.getpid(), "class": "#32770", "title": self.title,
                       "controls": [{"id": i + 1, "class": c, "text": t} for i, (c, t, _) in enumerate(controls)]}
        writing = self.window + "-writing"
        with open(writing, "w", encoding="utf-8") as out:
            json.dump(description, out, ensure_ascii=False, indent=1)
        os.replace(writing, self.window)
        self.pages.append(page)
        return controls

    def close_window(self):
        for path in (self.window, self.press):
            if path and os.path.exists(path):
                os.remove(path)

    def next_press(self, deadline):
        """The id of the control pressed, or None when the deadline passed."""
        while time.monotonic() < deadline:
            try:
                with open(self.press, encoding="utf-8") as press:
                    text = press.read().strip()
                return int(text) if text.isdigit() else 0
            except FileNotFoundError:
                time.sleep(POLL_SECONDS)
        return None

    def run_dialog(self):
        host = os.environ.get("STRATOSET_SIMULATED_HOST", "")
        if not host:
            return self.record("no host")
        folder = os.path.join(host, "windows")
        os.makedirs(folder, exist_ok=True)
        self.window = os.path.join(folder, "%d.window" % os.getpid())
        self.press = os.path.join(folder, "%d.press" % os.getpid())

        try:
            answered = False  # a press that led here waits until this page is shown
            for page in SCENARIOS[self.scenario]:
                controls = self.show(page)
                if answered:
                    os.remove(self.press)
                    answered = False
                if page == "hung language":
                    time.sleep(PAGE_TIMEOUT_SECONDS)
                    return self.record("abandoned")
                automatic = page == "installing"
                deadline = time.monotonic() + (DRIVER_INSTALL_SECONDS if automatic else PAGE_TIMEOUT_SECONDS)
                while True:
                    pressed = self.next_press(deadline)
                    if pressed is None:
                        if automatic:
                            break
                        return self.record("abandoned")
                    action = None
                    if 1 <= pressed <= len(controls):
                        self.presses.append(controls[pressed - 1][1])
                        action = controls[pressed - 1][2]
                    if action == "next":
                        answered = True
                        break
                    if action is None:
                        os.remove(self.press)  # nothing happens, the page stays
                        continue
                    return self.record(action)
            return self.record("installed")
        finally:
            self.close_window()


def main():
    run = Run(sys.argv)

    def terminate(*_):
        sys.exit(run.record("terminated"))

    signal.signal(signal.SIGTERM, terminate)

    if run.scenario not in SCENARIOS:
        print("unknown scenario: " + run.scenario, file=sys.stderr)
        return run.record("unknown scenario")

    if run.scenario == "chatty":
        chunk = "x" * 1023 + "\n"
        for _ in range(1024):
            sys.stdout.write(chunk)
            sys.stderr.write(chunk)
        sys.stdout.flush()
        sys.stderr.flush()

    if run.scenario == "busy":
        time.sleep(BUSY_SECONDS)

    if not SCENARIOS[run.scenario]:
        return run.record("installed")

    return run.run_dialog()


if __name__ == "__main__":
    sys.exit(main())
