#!/usr/bin/env python3
"""A skin that uses every class a skin may use (tests/ui/preview/Preview.xml),
shown by skin_preview.exe under Wine on a virtual display and used with the
mouse and the keyboard through xdotool.

  preview_e2e.py --build BUILD_DIR --out OUT_DIR

Checked, from the notifications the preview prints:
  1. the list: a click selects a row, Down and End move the selection, the
     wheel scrolls it and Home goes back to the first row ("itemselect");
  2. a button in the tile layout and one that the child layout loaded from
     its own file ("click"); a child file that includes itself stays empty;
  3. the slider: a press beside the thumb and the Right key ("valuechanged");
  4. a scroll bar alone: its second button, then the End key ("scroll");
  5. the skin combo: it opens ("dropdown") and a row of its list is chosen
     ("itemselect");
  6. the rich edit takes typing ("textchanged");
  7. Alt+C and Alt+O activate the buttons with those shortcuts ("click");
  8. the close button ends the preview.
A screenshot of the used skin and the printed notifications go to OUT_DIR.
"""

import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "e2e"))
from test_login import Failure, Session, check, click, wait_for  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


class Preview:
    """The running preview and what it has printed."""

    def __init__(self, session, exe, log):
        self.session = session
        self.log = log
        folder = "Z:" + HERE.replace("/", "\\")
        self.out = open(log, "wb")
        self.process = subprocess.Popen(["wine", exe, folder, "Preview.xml"], env=session.env,
                                        stdout=self.out, stderr=subprocess.DEVNULL)
        session.processes.append(self.process)
        self.seen = 0
        wait_for("the preview's layout", lambda: "ready" in self.lines(), 60)
        self.places = {}
        for line in self.lines():
            parts = line.split()
            if parts[0] == "at" and len(parts) == 6:
                self.places[parts[1]] = tuple(int(v) for v in parts[2:])
        self.window = wait_for("the preview window", lambda: session.xdotool(
            "search", "--onlyvisible", "--name", "^SkinUI preview$"), 30).split()[0]
        self.seen = len(self.lines())

    def lines(self):
        with open(self.log, "rb") as f:
            return f.read().decode("gbk", "replace").splitlines()

    def center(self, name, dx=0.5, dy=0.5):
        left, top, right, bottom = self.places[name]
        return (int(left + (right - left) * dx), int(top + (bottom - top) * dy))

    def expect(self, what, line_start):
        """Waits for a new notification line that starts with line_start."""
        def found():
            for line in self.lines()[self.seen:]:
                if line.startswith(line_start):
                    return line
            return None
        line = wait_for(what + " (" + line_start + ")", found, 10)
        self.seen = len(self.lines())
        check(True, what + ": " + line)
        return line

    def key(self, *keys):
        self.session.xdotool("key", *keys)
        time.sleep(0.3)


def run(args):
    exe = os.path.join(args.build, "tools", "skin", "skin_preview.exe")
    os.makedirs(args.out, exist_ok=True)
    args.shots = args.out
    with Session(args) as session:
        preview = Preview(session, exe, os.path.join(args.out, "notifications.txt"))
        check("loopinner" in preview.places and "childbutton" in preview.places,
              "the child layout loaded its file, and the one that includes itself stayed empty")

        click(session, preview.window, preview.center("row2"))
        preview.expect("a click selects a list row", "itemselect list 2 -1")
        preview.key("Down")
        preview.expect("Down moves the selection", "itemselect list 3 2")
        preview.key("End")
        preview.expect("End selects the last row, scrolled into view", "itemselect list 9 3")
        session.xdotool("mousemove", "--window", preview.window, *preview.center("list"))
        session.xdotool("click", "--repeat", "3", "4")
        preview.key("Home")
        preview.expect("Home selects the first row", "itemselect list 0 9")

        click(session, preview.window, preview.center("tile4"))
        preview.expect("a button in the tile layout", "click tile4")
        click(session, preview.window, preview.center("childbutton"))
        preview.expect("a button the child layout loaded", "click childbutton")

        click(session, preview.window, preview.center("slider", dx=0.8))
        line = preview.expect("a press beside the slider's thumb", "valuechanged slider ")
        value = int(line.split()[2])
        check(70 <= value <= 90, "the value follows the press: %d" % value)
        preview.key("Right")
        preview.expect("Right steps the slider", "valuechanged slider %d" % (value + 5))

        left, top, right, bottom = preview.places["bar"]
        click(session, preview.window, (right - 4, (top + bottom) // 2))
        preview.expect("the scroll bar's second button", "scroll bar 10")
        preview.key("End")
        preview.expect("End on the focused scroll bar", "scroll bar 100")

        click(session, preview.window, preview.center("combo"))
        preview.expect("the skin combo opens", "dropdown combo")
        # The drop-down lies under the combo, rows 24 high below its border.
        left, top, right, bottom = preview.places["combo"]
        click(session, preview.window, (left + 40, bottom + 1 + 24 + 12))
        preview.expect("a row of the open combo", "itemselect combo 1 -1")

        click(session, preview.window, preview.center("notes"))
        session.xdotool("type", "--delay", "60", "hi")
        preview.expect("typing into the rich edit", "textchanged notes")

        preview.key("alt+c")
        preview.expect("Alt+C activates its button", "click cancel")
        preview.key("alt+o")
        preview.expect("Alt+O activates its button", "click ok")

        time.sleep(0.5)
        shot = os.path.join(args.out, "preview.png")
        session.run(["import", "-window", "root", shot])
        check(os.path.getsize(shot) > 0, "screenshot " + shot)

        click(session, preview.window, preview.center("CloseWindow"))
        wait_for("the preview to end", lambda: preview.process.poll() is not None, 15)
        check(preview.process.returncode == 0, "the close button ends the preview")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    try:
        run(args)
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    print("preview e2e passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
