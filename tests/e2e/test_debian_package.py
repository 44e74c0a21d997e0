"""The Debian package: CPack builds it from this build tree; its dependencies name the
Debian packages the programs use; unpacked into a scratch root it holds every file where
a Linux user expects it, and the unpacked zorvel runs under Xvfb."""

import os
import subprocess
import sys
import tempfile

import zorvel_e2e as e2e

check = e2e.Check()
build = sys.argv[1]

with tempfile.TemporaryDirectory(prefix="zorvel-deb-") as work:
    out = os.path.join(work, "out")
    subprocess.run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out],
                   check=True, cwd=build, stdout=subprocess.DEVNULL)
    debs = [f for f in os.listdir(out) if f.endswith(".deb")]
    check(len(debs) == 1, f"one .deb built ({debs})")
    deb = os.path.join(out, debs[0])

    depends = subprocess.run(["dpkg-deb", "-f", deb, "Depends"], check=True, capture_output=True,
                             text=True).stdout
    for package in ("libqt6webenginewidgets6", "libqt6widgets6", "libsqlite3-0", "libxi6", "libssl3"):
        check(package in depends, f"depends on {package}")

    root = os.path.join(work, "root")
    subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
    expected = ["usr/libexec/zorvel/zorvel", "usr/libexec/zorvel/updater", "usr/libexec/zorvel/libMouseHook.so",
                "usr/bin/budgetweb", "usr/share/applications/zorvel.desktop",
                "usr/share/zorvel/zorvel-autostart.desktop", "usr/lib/systemd/user/budgetweb.service"]
    expected += [f"usr/share/icons/hicolor/{n}x{n}/apps/zorvel.png" for n in (16, 32, 48, 128)]
    for path in expected:
        check(os.path.isfile(os.path.join(root, path)), f"/{path} installed")
    link = os.path.join(root, "usr/bin/zorvel")
    check(os.path.islink(link) and os.readlink(link) == "../libexec/zorvel/zorvel",
          "/usr/bin/zorvel links to the program beside its updater")
    unit = open(os.path.join(root, "usr/lib/systemd/user/budgetweb.service")).read()
    check("\nExecStart=budgetweb --listen 127.0.0.1:8470" in unit, "the user unit starts budgetweb on the bar's address")

    # The unpacked programs run from the scratch root: the link resolves, the library is found.
    with e2e.Session() as s:
        s.start_x()
        s.start_budgetweb("--demo")
        proc = s.start_zorvel(os.path.join(root, "usr/bin/zorvel"))
        bar = s.find_window(proc.pid, "Zorvel")
        check(s.geometry(bar) == (235, 0, 810, 62), f"the installed zorvel shows its bar ({s.geometry(bar)})")
        check(e2e.wait_for(lambda: e2e.dark_pixels(s.pixels(325, 2, 660, 58)) > 40, 30,
                           what="the installed bar's page"), "and the home page in it")
        ldd = subprocess.run(["ldd", os.path.join(root, "usr/libexec/zorvel/zorvel")], capture_output=True,
                             text=True).stdout
        check(os.path.join(root, "usr/libexec/zorvel/libMouseHook.so") in ldd,
              "the installed zorvel loads the installed libMouseHook.so")

check.finish()
