#!/bin/bash
# cmake --install stages the program where Debian's XScreenSaver looks for
# hacks and its settings file beside the others; every option that file
# hands the program is one the program takes.
#
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR=$stage cmake --install "$build" --component hangingmobile >/dev/null
program=$stage/usr/libexec/xscreensaver/hangingmobile
settings=$stage/usr/share/xscreensaver/config/hangingmobile.xml
[ -x "$program" ] || { echo "not installed: $program"; exit 1; }
[ -f "$settings" ] || { echo "not installed: $settings"; exit 1; }

# XScreenSaver's settings read the file as XML and build the command from
# its arg attributes with each value in place of %.
python3 - "$settings" "$program" <<'PY'
import subprocess, sys, xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
assert root.tag == "screensaver" and root.get("name") == "hangingmobile", root.attrib
assert root.get("gl") == "yes"
values = {"number": lambda e: e.get("default"), "file": lambda e: "/tmp/some description.txt",
          "boolean": lambda e: ""}
args = root.find("command").get("arg").split()
ids = set()
for element in root:
    if element.tag in values:
        ids.add(element.get("id"))
        arg = element.get("arg-set") if element.tag == "boolean" else element.get("arg")
        args += [a.replace("%", values[element.tag](element)) for a in arg.split()]
for wanted in ("delay", "latitude", "longitude", "description", "showfps"):
    assert wanted in ids, "no setting " + wanted
assert "--delay 50000" in " ".join(args) and "--fps" in args, args
assert root.find("_description").text.strip(), "no help text"
# --help after them: the options are read, nothing is opened.
run = subprocess.run([sys.argv[2]] + args + ["--help"], capture_output=True, text=True)
assert run.returncode == 0 and run.stdout.startswith("usage: hangingmobile"), (args, run.stderr)
print("settings file ok:", " ".join(args))
PY

# The helper adds the hack to a ~/.xscreensaver as xscreensaver-settings
# writes one (the system's list, then other settings), once however often
# it runs, and leaves every other line as it was.
home=$stage/home
mkdir -p "$home"
{
    echo "mode:		random"
    sed -n '/^\*programs:/,/\\n$/s/^\*//p' /etc/X11/app-defaults/XScreenSaver
    echo "lock:		False"
} >"$home/.xscreensaver"
cp "$home/.xscreensaver" "$stage/before"
for run in 1 2; do
    HOME=$home "$stage/usr/bin/hangingmobile-add-to-xscreensaver" >/dev/null ||
        { echo "the helper failed on run $run"; exit 1; }
done
added=$(diff "$stage/before" "$home/.xscreensaver" | grep '^[<>]' || true)
[ "$(echo "$added" | tr -s ' ')" = '> GL: hangingmobile --root \n\' ] ||
    { echo "the helper changed more than one line:"; echo "$added"; exit 1; }
echo "helper ok"
