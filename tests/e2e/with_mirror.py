#!/usr/bin/env python3
"""Runs a test program from a fresh installation folder next to a loopback
mirror, and cleans both up afterwards.

  with_mirror.py EMULATOR PROGRAM [ARGS...]

PROGRAM is copied into an empty folder (its installation folder, where the
update engine writes) and started there through EMULATOR. The mirror listens
on a free port, or on MIRROR_PORT when that is set (the launcher's built-in
mirror is on port 18080). PROGRAM finds the mirror through the environment:

  MIRROR_URL      base URL of the mirror, ending in a slash
  MIRROR_ROOT     the folder the mirror serves (a host path)
  MIRROR_CONTROL  base URL of the mirror's control paths
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from mirror import Mirror  # noqa: E402


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    emulator, program, args = argv[0], argv[1], argv[2:]
    if os.path.exists(emulator):
        emulator = os.path.abspath(emulator)
    work = tempfile.mkdtemp(prefix="launcher-update-")
    try:
        install = os.path.join(work, "install")
        root = os.path.join(work, "mirror")
        os.makedirs(install)
        os.makedirs(root)
        copy = os.path.join(install, os.path.basename(program))
        shutil.copy2(program, copy)
        with Mirror(root, int(os.environ.get("MIRROR_PORT", "0"))) as mirror:
            env = dict(os.environ)
            env["MIRROR_URL"] = mirror.url
            env["MIRROR_ROOT"] = root
            env["MIRROR_CONTROL"] = "http://127.0.0.1:%d/__control/" % mirror.port
            child = subprocess.Popen([emulator, copy] + args, env=env, cwd=install)
            # A time-out ends us with SIGTERM: end the test program too and
            # still clean up.
            signal.signal(signal.SIGTERM, lambda *_: (child.kill(), sys.exit(143)))
            return child.wait()
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
