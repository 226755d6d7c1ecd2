#!/usr/bin/env python3
"""Stands in for the player's web browser: Wine's winebrowser runs it with
the URL that the launcher handed to ShellExecute, and it appends that URL to
the file named by LAUNCHER_LINK_LOG. Tests name it in the prefix's
HKCU\\Software\\Wine\\WineBrowser "Browsers" value."""

import os
import sys

with open(os.environ.get("LAUNCHER_LINK_LOG", "/dev/null"), "ab") as f:
    for url in sys.argv[1:]:
        f.write(os.fsencode(url) + b"\n")
