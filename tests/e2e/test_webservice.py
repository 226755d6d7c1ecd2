#!/usr/bin/env python3
"""The launcher's web requests, seen by the stand-in web service
(webservice.py on 127.0.0.1:18081) and by a stand-in default browser.

  test_webservice.py --build BUILD_DIR [--publish PATH] [--shots DIR]

Three starts of Launcher.exe under Wine, each checked for the logo page and
the signed statistics report:
  1. without Config.ini: channel 0, bar 0;
  2. Config.ini MainID 7, SubID 3: channel 7, bar 3;
  3. Config.ini MainID 1 (an internet café) with SubID 5, and "BarId" 4321
     written into HKLM\\SOFTWARE\\iCafe8: channel 1, bar 4321.
The third start updates from a loopback mirror whose new file arrives
slowly, and the player's clicks are checked:
  - RegisterTop while the update runs sends nothing;
  - Register after it sends client_reg.aspx with the channel and the
    machine fields;
  - 登录 sends client_validate.aspx with the account as typed, its GBK bytes
    raw and its '&' escaped, and the MD5 of the password;
  - a link button reaches the default browser (Wine's winebrowser runs
    record_link.py, named in HKCU\\Software\\Wine\\WineBrowser "Browsers");
  - QQLogon sends QQLogin.aspx with the machine fields.
Every failed check is listed; the exit code is 1 when there was one.
"""

import argparse
import hashlib
import os
import re
import shutil
import sys
import tempfile
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "standins"))
import test_login as tl  # noqa: E402
import launcher_install as li  # noqa: E402
from webservice import open_service, query_of, statistics_signature, target_of  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
BROWSER_KEY = r"HKCU\Software\Wine\WineBrowser"
CAFE_KEY = r"HKLM\SOFTWARE\iCafe8"
BAR_ID = 4321

# Window coordinates in res/Launcher.xml's layout (760 x 500).
LOGON_BUTTON = (615, 270)
REGISTER_BUTTON = (615, 310)
PARTNER_TAB = (675, 69)
QQ_LOGON_BUTTON = (615, 152)
CLOSE_BUTTON = (743, 22)
WEB_INDEX_LINK = (44, 483)
REGISTER_TOP_LINK = (648, 483)


class Checks:
    def __init__(self):
        self.failed = []

    def __call__(self, condition, message):
        print(("ok: " if condition else "FAILED: ") + message, flush=True)
        if not condition:
            self.failed.append(message)
        return condition


def host_macs():
    """Hardware addresses of this network namespace's interfaces as the
    launcher writes them: 12 upper-case hex digits. The names come from
    /proc, which follows the namespace; /sys may show another one's."""
    with open("/proc/self/net/dev") as f:
        names = [line.split(":")[0].strip() for line in f.readlines()[2:]]
    macs = set()
    for name in names:
        try:
            with open("/sys/class/net/%s/address" % name) as f:
                mac = f.read().strip().replace(":", "").upper()
        except OSError:
            continue
        if len(mac) == 12 and mac.strip("0"):
            macs.add(mac)
    return macs


def requests_for(service, page, raw=False):
    """The path and query of every logged request for PAGE (a path), oldest
    first: text, or with RAW the bytes as they came (Latin-1 gives every byte
    back as it was)."""
    targets = [target_of(line.decode("latin-1" if raw else "gbk", "replace"))
               for line in service.raw_requests()]
    return [t.encode("latin-1") if raw else t for t in targets
            if urllib.parse.urlsplit(t).path == page]


def find_request(service, page, timeout, raw=False):
    """The first request for PAGE, waited for up to TIMEOUT seconds; None
    when none came."""
    deadline = time.time() + timeout
    while not requests_for(service, page) and time.time() < deadline:
        time.sleep(0.2)
    found = requests_for(service, page, raw)
    return found[0] if found else None


def write_config(install, values):
    path = os.path.join(install, "Config.ini")
    if values is None:
        if os.path.exists(path):
            os.remove(path)
        return
    with open(path, "w", newline="\r\n") as f:
        f.write("[Channel]\n")
        for key, value in values.items():
            f.write("%s=%d\n" % (key, value))


def check_start_up(check, service, channel, bar):
    logo = find_request(service, "/logo.html", 30)
    check(logo == "/logo.html", "start-up sent the logo page (%r)" % logo)
    report = find_request(service, "/service/DataSubmitAD.aspx", 30)
    if not check(report is not None, "start-up sent the statistics report"):
        return None
    fields = query_of(report)
    names = [name for name, _ in fields]
    check(names == ["channelId", "barId", "userid", "macSerial", "enter_type", "object_type",
                    "object_id", "sign"], "the report's fields are in order: %s" % report)
    values = dict(fields)
    mac = values.get("macSerial", "")
    check(values.get("channelId") == str(channel) and values.get("barId") == str(bar),
          "channel %s and bar %s are %d and %d" % (values.get("channelId"), values.get("barId"),
                                                    channel, bar))
    # A machine whose every address is zero (a bare network namespace) sends none.
    expected = host_macs() or {""}
    check(mac in expected, "the MAC %r is one of this machine's %s" % (mac, sorted(expected)))
    expected = statistics_signature(channel, bar, mac)
    check(values.get("sign") == expected, "the signature %s is %s" % (values.get("sign"), expected))
    return mac


def check_machine_fields(check, what, values, mac):
    check(re.fullmatch(r"Win:\d+\.\d+\.\d+", values.get("Os", "")) is not None,
          "%s: system version %r" % (what, values.get("Os")))
    check(re.fullmatch(r"[0-9A-F]{8}", values.get("Cpu", "")) is not None,
          "%s: processor word %r" % (what, values.get("Cpu")))
    check(re.fullmatch(r"[^ ]{0,15}", values.get("Bios", " ")) is not None,
          "%s: BIOS text %r" % (what, values.get("Bios")))
    check(values.get("Disk") == "", "%s: no disk serial under Wine" % what)
    check(values.get("Mac") == mac, "%s: MAC %r" % (what, values.get("Mac")))


def run_start(session, install, service, config):
    """Starts the launcher with CONFIG as its Config.ini and an empty request
    log; gives its window."""
    write_config(install, config)
    if os.path.exists(service.log):
        os.remove(service.log)
    return tl.start_launcher(session, install)[1]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--publish",
                        help="a native publish tool (default: the build's publish.exe under Wine)")
    parser.add_argument("--shots")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    work = tempfile.mkdtemp(prefix="launcher-web-")
    args.shots = os.path.abspath(args.shots or os.path.join(work, "shots"))
    os.makedirs(args.shots, exist_ok=True)
    check = Checks()
    links = os.path.join(work, "links.log")
    service = open_service(os.path.join(work, "requests.log"))
    try:
        with tl.Session(args) as session:
            session.env["LAUNCHER_LINK_LOG"] = links
            session.env.pop("LOBBY_EXIT_AFTER_MS", None)
            session.wine("reg", "add", BROWSER_KEY, "/v", "Browsers", "/d",
                         os.path.join(HERE, "..", "..", "standins", "record_link.py"), "/f")
            session.wine("reg", "delete", CAFE_KEY, "/f")
            install = os.path.join(work, "install")
            li.make_installation(build, install)
            try:
                for config, channel, bar in ((None, 0, 0), ({"MainID": 7, "SubID": 3}, 7, 3)):
                    print("-- start with Config.ini %r" % (config,), flush=True)
                    run_start(session, install, service, config)
                    check_start_up(check, service, channel, bar)
                    li.stop_programs_in(install)

                print("-- start in an internet café, with an update and the clicks", flush=True)
                session.wine("reg", "add", CAFE_KEY, "/v", "BarId", "/t", "REG_DWORD", "/d",
                             str(BAR_ID), "/f")
                root, new_file, stamp = tl.make_mirror(tl.publish_tool(args, build), work, build)
                with li.start_mirror(root) as mirror:
                    # The new file trickles in over about eight seconds.
                    mirror.set_fault("plaza/" + new_file.replace(os.sep, "/"), "trickle",
                                     rate=8)
                    window = run_start(session, install, service,
                                       {"MainID": 1, "SubID": 5, "SubID1": 11, "SubID2": 12})
                    register_during_update(session, check, window, install, stamp)
                    mac = check_start_up(check, service, 1, BAR_ID)
                    clicks(session, check, service, window, install, new_file, stamp, mac, links)
            finally:
                li.stop_programs_in(install)
                session.wine("reg", "delete", BROWSER_KEY, "/v", "Browsers", "/f")
                session.wine("reg", "delete", CAFE_KEY, "/f")
    except tl.Failure as e:
        check(False, str(e))
    finally:
        service.stop()
        print("screenshots in " + args.shots)
        for name in os.listdir(work):
            if os.path.join(work, name) != args.shots:
                path = os.path.join(work, name)
                if os.path.isdir(path):
                    shutil.rmtree(path, ignore_errors=True)
                else:
                    os.remove(path)
    if check.failed:
        print("FAIL: %d checks failed" % len(check.failed))
        return 1
    print("PASS")
    return 0


def register_during_update(session, check, window, install, stamp):
    # What the click sent is looked at once the update has ended (clicks()).
    time.sleep(1.0)
    tl.click(session, window, REGISTER_TOP_LINK)
    ver = os.path.join(install, "ver.ini")
    still_running = not (os.path.exists(ver) and stamp in open(ver, encoding="latin-1").read())
    check(still_running, "the update was still running at the RegisterTop click")
    session.screenshot("register-during-update")


def clicks(session, check, service, window, install, new_file, stamp, mac, links):
    try:
        tl.wait_until_ready(install, new_file, stamp)
    except tl.Failure:
        log = os.path.join(install, "Launcher.log")
        if os.path.exists(log):
            print(open(log, "rb").read().decode("gbk", "replace"))
        raise
    during = requests_for(service, "/register/client_reg.aspx")
    check(not during, "RegisterTop during the update sent nothing (%r)" % during)
    # Until the update has ended, the click is refused silently: repeated.
    def sent():
        tl.click(session, window, REGISTER_BUTTON)
        return find_request(service, "/register/client_reg.aspx", 3)
    register = tl.wait_for("Register after the update", sent, 60)
    session.screenshot("register-page")
    fields = query_of(register)
    check([name for name, _ in fields] ==
          ["MainID", "SubID", "SubID1", "SubID2", "Os", "Bios", "Cpu", "Disk", "Mac"],
          "the registration fields are in order")
    values = dict(fields)
    check((values.get("MainID"), values.get("SubID"), values.get("SubID1"),
           values.get("SubID2")) == ("1", str(BAR_ID), "11", "12"),
          "registration channel fields: the café's bar number stands for SubID")
    check_machine_fields(check, "registration", values, mac)
    tl.click(session, window, CLOSE_BUTTON)  # back to the login form

    # The page reads the account from the query: its '&' must not start a
    # field of its own.
    account, password = "\u5f20\u4e09p&q=1", "pw 9"
    tl.click(session, window, tl.ACCOUNT_BOX)
    # xdotool can lose the first character it maps to a spare key; spend
    # that on one that is erased with the old text.
    tl.type_text(session, "\u6c49")
    session.xdotool("key", "End")
    session.xdotool("key", "--repeat", "40", "BackSpace")
    tl.type_text(session, account)
    tl.click(session, window, tl.PASSWORD_BOX)
    session.xdotool("key", "End")
    session.xdotool("key", "--repeat", "40", "BackSpace")
    tl.type_text(session, password)
    tl.click(session, window, LOGON_BUTTON)
    validate = find_request(service, "/register/client_validate.aspx", 20, raw=True)
    # The browser sends the GBK bytes raw, as the launcher wrote them; only
    # the '&' arrives escaped.
    expected = b"/register/client_validate.aspx?account=%s&pwd=%s" % (
        account.encode("gbk").replace(b"&", b"%26"),
        hashlib.md5(password.encode()).hexdigest().encode())
    check(validate == expected, "登录 sent %r, expected %r" % (validate, expected))

    tl.click(session, window, WEB_INDEX_LINK)
    deadline = time.time() + 20
    while not os.path.exists(links) and time.time() < deadline:
        time.sleep(0.2)
    time.sleep(0.5)
    recorded = open(links).read().split() if os.path.exists(links) else []
    check(recorded == ["http://127.0.0.1:18081/www/"],
          "the front-page link reached the default browser: %r" % recorded)

    tl.click(session, window, PARTNER_TAB)
    tl.click(session, window, QQ_LOGON_BUTTON)
    qq = find_request(service, "/service/QQLogin.aspx", 20)
    session.screenshot("qq-page")
    if check(qq is not None, "QQLogon sent %r" % qq):
        fields = query_of(qq)
        check([name for name, _ in fields] == ["unionID", "siteID", "SystemVer", "BiosSerial",
                                               "CPUSerial", "HDSerial", "MACAddress"],
              "the QQ login fields are in order")
        values = dict(fields)
        check((values.get("unionID"), values.get("siteID")) == ("1", str(BAR_ID)),
              "QQ login channel and site")
        check_machine_fields(check, "QQ login", {
            "Os": values.get("SystemVer"), "Bios": values.get("BiosSerial"),
            "Cpu": values.get("CPUSerial"), "Disk": values.get("HDSerial"),
            "Mac": values.get("MACAddress")}, mac)


if __name__ == "__main__":
    sys.exit(main())
