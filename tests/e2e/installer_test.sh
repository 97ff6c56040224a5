#!/usr/bin/env bash
# The real installer under Wine, silently, the way an administrator deploys it:
#  1. a previous screensaver is set; /S /SETCURRENT puts both programs into the
#     system folder and nothing else there, makes Brinefold the screensaver
#     and lists it under installed programs; a reinstall keeps an
#     administrator's Brinefold.ini; the installed Brinefold.scr /s runs the
#     show with its picture in %LOCALAPPDATA%\Brinefold, ends when the
#     renderer is closed and leaves no picture anywhere; the silent uninstall
#     (the listed QuietUninstallString) removes the files, the entry, the
#     user's %APPDATA%\Brinefold and %LOCALAPPDATA%\Brinefold and the user's
#     old C:\velkor\Brinefold.bmp with its folder, and gives back the previous
#     screensaver;
#  2. a silent install without /SETCURRENT leaves the choice alone; after a
#     /SETCURRENT install the user picks another screensaver, which the
#     uninstall then keeps, and /KEEPSNAPSHOT keeps the pictures, not the
#     settings (but a file of the user's own beside them);
#  3. with no screensaver chosen before, the uninstall leaves none chosen; of
#     the old pictures in C:\velkor it deletes the user's, not another user's;
#  4. C:\velkor swapped for a link to another folder right after the install
#     deleted its first picture, or right after the uninstall checked the
#     owner of its first: nothing in the link's target is touched, in several
#     tries each.
#
#   installer_test.sh PROBE SETUP_EXE BRINEFOLD_SCR BRINEFOLD_DLL VERSION   (inside a test bed's env)
set -euo pipefail

probe=$1 setup=$2 built_scr=$3 built_dll=$4 version=$5
: "${WINEPREFIX:?run inside the test bed (source DIR/env)}" "${DISPLAY:?}"
wait_window=$(dirname "$0")/../../scripts/wait-window

sys=$WINEPREFIX/drive_c/windows/system32
folder="$WINEPREFIX/drive_c/Program Files/Brinefold"
velkor=$WINEPREFIX/drive_c/velkor
desktop='HKCU\Control Panel\Desktop'
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Brinefold'
ours='C:\windows\system32\Brinefold.scr'
uninstaller='"C:\Program Files\Brinefold\Uninstall.exe"'

failures=0
trap 'echo "FAIL: line $LINENO: $BASH_COMMAND ended with $?" >&2' ERR
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# expect WHAT ACTUAL EXPECTED
expect() {
  if [[ $2 == "$3" ]]; then echo "ok: $1 = $2"; else fail "$1 is '$2', expected '$3'"; fi
}

# A probe that cannot answer makes the checks that use its answer fail.
probe() {
  local out code=0
  out=$(wine "$probe" "$@") || code=$?
  [[ -z $out ]] || printf '%s\n' "${out//$'\r'/}"
  ((code == 0)) || echo "probe $1 $2: exit code $code" >&2
  return 0
}
# value KEY NAME: the value's text, or <absent>.
value() { probe get "$1" "$2" | awk -v n="$2" 'index($0, n "=") == 1 { print substr($0, length(n) + 2) }'; }
field() { grep -m1 "^$1=" <<<"$2" | cut -d= -f2-; }
# whose FILE: "user" when the user running the probe owns FILE, "other" when
# someone else does, nothing when the probe could not tell.
whose() {
  local own owner user
  own=$(probe owner "$1")
  owner=$(field owner "$own") user=$(field user "$own")
  [[ -n $owner && -n $user ]] || return 0
  if [[ $owner == "$user" ]]; then echo user; else echo other; fi
}

# The user's own folders, where Wine puts them in the prefix: the pictures
# (%LOCALAPPDATA%\Brinefold) and the settings (%APPDATA%\Brinefold).
mapfile -t profile < <(wine cmd /c 'echo %LOCALAPPDATA%&echo %APPDATA%' | tr -d '\r')
((${#profile[@]} == 2)) && mapfile -t profile < <(winepath -u "${profile[@]}")
if ((${#profile[@]} != 2)) || [[ ! -d ${profile[0]} || ! -d ${profile[1]} ]]; then
  echo "FAIL: no %LOCALAPPDATA% and %APPDATA% in the prefix (${profile[*]})" >&2
  exit 1
fi
user_pictures=${profile[0]}/Brinefold
user_settings=${profile[1]}/Brinefold
link_target=$WINEPREFIX/drive_c/bf-link-target

# Nothing of an earlier run may decide the outcome; the test bed's own
# screensaver choice is given back at the end.
old_saver=$(value "$desktop" SCRNSAVE.EXE)
old_active=$(value "$desktop" ScreenSaveActive)
restore_value() { # NAME TEXT
  if [[ $2 == '<absent>' ]]; then probe delete "$desktop" "$1"; else probe set "$desktop" "$1" "$2"; fi
}
clean() {
  rm -f "$sys"/Brinefold.scr "$sys"/Brinefold.dll "$sys"/Brinefold.ini "$sys"/Brinefold.ini.old-shared
  rm -rf "$folder" "$velkor" "$velkor.moved" "$velkor.watching" "$velkor.stop" "$velkor.seen" "$user_pictures" "$user_settings" "$link_target"
  probe delete "$entry"
  probe delete 'HKCU\Software\Brinefold'
}
show_pid= swapper=
finish() {
  [[ -z $show_pid ]] || kill "$show_pid" 2>/dev/null || true
  [[ -z $swapper ]] || kill "$swapper" 2>/dev/null || true
  clean
  restore_value SCRNSAVE.EXE "$old_saver"
  restore_value ScreenSaveActive "$old_active"
}
trap finish EXIT
clean

# install STEP ARGS...: the installer's exit code, said with its meaning, and
# the programs it must have put in place.
install() {
  local step=$1 code=0
  shift
  wine "$setup" "$@" || code=$?
  local -A meaning=([1]="NSIS aborted" [3]="a program in the system folder was in use"
    [4]="a rights command failed" [5]="the old shared settings could not be set aside")
  if ((code != 0)); then
    fail "$step: the installer ($*) ended with exit code $code (${meaning[$code]:-unknown})"
  fi
  cmp -s "$built_scr" "$sys/Brinefold.scr" || fail "$step: Brinefold.scr is not the built one"
  cmp -s "$built_dll" "$sys/Brinefold.dll" || fail "$step: Brinefold.dll is not the built one"
}
# The uninstaller copies itself elsewhere and returns at once; its last step
# removes the installed-programs entry.
uninstall() { # ARGS...
  expect "QuietUninstallString" "$(value "$entry" QuietUninstallString)" "$uninstaller /S"
  wine 'C:\Program Files\Brinefold\Uninstall.exe' "$@" || fail "uninstaller did not start"
  # Well under a second when the machine is idle; the limit allows for a
  # machine busy with other builds.
  local i
  for i in $(seq 300); do
    [[ $(probe key "$entry") == absent && ! -e $folder/Uninstall.exe ]] && return
    sleep 0.1
  done
  fail "the uninstall did not finish within 30 s"
}

# What using Brinefold leaves for the user: settings, a picture of a show that
# was cut short, an older version's picture in C:\velkor.
leave_user_files() {
  mkdir -p "$user_settings" "$user_pictures" "$velkor"
  printf '[Section]\r\n' >"$user_settings/Brinefold.ini"
  printf 'BM' >"$user_pictures/Brinefold.bmp"
  printf 'BM' >"$velkor/Brinefold.bmp"
}

echo "== 1. install over a previous screensaver, show, uninstall"
probe set "$desktop" SCRNSAVE.EXE 'C:\windows\system32\previous.scr'
probe set "$desktop" ScreenSaveActive 0
# An older version's pictures, another account's among them (Wine takes a
# file's owner from its Unix owner: chowned away): the install removes them.
mkdir -p "$velkor"
printf 'BM' >"$velkor/Brinefold.bmp"
printf 'BM' >"$velkor/Brinefold.bmp.new"
chown 65534 "$velkor/Brinefold.bmp" || fail "could not give the old picture another owner (needs root)"
install "first install" /S /SETCURRENT
[[ ! -e $velkor ]] || fail "the install left C:\\velkor: $(ls -A "$velkor" | tr '\n' ' ')"
for f in README.txt LICENSE.txt Uninstall.exe; do
  [[ -f $folder/$f ]] || fail "$f missing from Program Files\\Brinefold"
done
grep -q $'\r$' "$folder/README.txt" || fail "README.txt has no CRLF line ends"
[[ ! -e $sys/Brinefold.ini ]] || fail "the installer created Brinefold.ini beside the programs"
expect "SCRNSAVE.EXE" "$(value "$desktop" SCRNSAVE.EXE)" "$ours"
expect "ScreenSaveActive" "$(value "$desktop" ScreenSaveActive)" 1

listed=$(probe get "$entry" DisplayName DisplayVersion Publisher UninstallString DisplayIcon \
  EstimatedSize NoModify NoRepair)
expect "DisplayName" "$(field DisplayName "$listed")" "Brinefold screensaver"
expect "DisplayVersion" "$(field DisplayVersion "$listed")" "$version"
expect "Publisher" "$(field Publisher "$listed")" "Brinefold developers"
expect "UninstallString" "$(field UninstallString "$listed")" "$uninstaller"
expect "DisplayIcon" "$(field DisplayIcon "$listed")" "$ours,0"
expect "NoModify" "$(field NoModify "$listed")" 1
expect "NoRepair" "$(field NoRepair "$listed")" 1
size=$(field EstimatedSize "$listed")
least=$((($(stat -c %s "$built_scr") + $(stat -c %s "$built_dll")) / 1024))
[[ $size =~ ^[0-9]+$ ]] && ((size >= least && size < least + 1024)) ||
  fail "EstimatedSize $size KB, the programs alone are $least KB"

# What Explorer shows in the files' properties.
for f in Brinefold.scr Brinefold.dll; do
  info=$(probe version "C:\\windows\\system32\\$f")
  expect "$f ProductName" "$(field ProductName "$info")" Brinefold
  expect "$f CompanyName" "$(field CompanyName "$info")" "Brinefold developers"
  expect "$f FileVersion" "$(field FileVersion "$info")" "$version"
  expect "$f ProductVersion" "$(field ProductVersion "$info")" "$version"
  expect "$f FixedFileVersion" "$(field FixedFileVersion "$info")" "$version.0"
  expect "$f OriginalFilename" "$(field OriginalFilename "$info")" "$f"
  [[ $(field LegalCopyright "$info") == "Copyright (C) "*" Brinefold developers" ]] ||
    fail "$f LegalCopyright is '$(field LegalCopyright "$info")'"
done
icons=$(field Icons "$(probe version "$ours")")
[[ $icons =~ ^[0-9]+$ ]] && ((icons >= 1)) || fail "Brinefold.scr has no icon ($icons)"

# Default settings an administrator placed beside the programs survive a
# reinstall, which also keeps the remembered previous screensaver (both
# checked at the uninstall, which removes the file).
printf '[Section]\r\nkept=1\r\n' >"$sys/Brinefold.ini"
install "reinstall over an administrator's Brinefold.ini" /S /SETCURRENT
grep -q '^kept=1' "$sys/Brinefold.ini" || fail "the reinstall changed the administrator's Brinefold.ini"

# The installed screensaver's run switch: the renderer beside it opens its
# window; closing that window ends the launcher too.
wine 'C:\windows\system32\Brinefold.scr' /s &
show_pid=$!
if "$wait_window" 15 --name '^Brinefold_VC$' >/dev/null; then
  echo "ok: the installed Brinefold.scr /s opened Brinefold_VC"
  [[ -f $user_pictures/Brinefold.bmp ]] || fail "no picture in %LOCALAPPDATA%\\Brinefold during the show"
  [[ $(probe close Brinefold_VC) != *absent* ]] || fail "Brinefold_VC went away before it was closed"
  if timeout 10 tail --pid="$show_pid" -f /dev/null; then
    code=0
    wait "$show_pid" || code=$?
    expect "launcher exit code after the show" "$code" 0
  else
    fail "the launcher did not end after the renderer's window closed"
  fi
  show_pid=
else
  fail "the installed Brinefold.scr /s showed no Brinefold_VC window"
  kill "$show_pid" 2>/dev/null || true  # a running program cannot be removed
  wait "$show_pid" 2>/dev/null || true
  show_pid=
fi
[[ -z $(find "$user_pictures" -type f 2>/dev/null) ]] || fail "the show left its picture behind"
[[ ! -e $velkor ]] || fail "the show created C:\\velkor"

leave_user_files
expect "owner of C:\\velkor\\Brinefold.bmp" "$(whose 'C:\velkor\Brinefold.bmp')" user
uninstall /S
for f in Brinefold.scr Brinefold.dll Brinefold.ini; do
  [[ ! -e $sys/$f ]] || fail "$f is still in the system folder"
done
[[ ! -e $folder ]] || fail "Program Files\\Brinefold is still there"
[[ ! -e $user_settings ]] || fail "%APPDATA%\\Brinefold (the settings) is still there"
[[ ! -e $user_pictures ]] || fail "%LOCALAPPDATA%\\Brinefold (the pictures) is still there"
[[ ! -e $velkor ]] || fail "C:\\velkor (the old picture) is still there"
expect "SCRNSAVE.EXE after uninstall" "$(value "$desktop" SCRNSAVE.EXE)" 'C:\windows\system32\previous.scr'
expect "ScreenSaveActive after uninstall" "$(value "$desktop" ScreenSaveActive)" 0
expect "installer's own key" "$(probe key 'HKCU\Software\Brinefold')" absent

echo "== 2. silent default, a choice made after install, /KEEPSNAPSHOT"
install "silent install without /SETCURRENT" /S
expect "SCRNSAVE.EXE after /S alone" "$(value "$desktop" SCRNSAVE.EXE)" 'C:\windows\system32\previous.scr'
install "install with /SETCURRENT over it" /S /SETCURRENT
probe set "$desktop" SCRNSAVE.EXE 'C:\windows\system32\other.scr'
leave_user_files
printf 'mine' >"$user_settings/notes.txt"  # the user's own, beside ours
uninstall /S /KEEPSNAPSHOT
expect "SCRNSAVE.EXE chosen after install" "$(value "$desktop" SCRNSAVE.EXE)" 'C:\windows\system32\other.scr'
expect "ScreenSaveActive chosen after install" "$(value "$desktop" ScreenSaveActive)" 1
[[ -f $user_pictures/Brinefold.bmp ]] || fail "/KEEPSNAPSHOT did not keep %LOCALAPPDATA%\\Brinefold"
[[ -f $velkor/Brinefold.bmp ]] || fail "/KEEPSNAPSHOT did not keep C:\\velkor\\Brinefold.bmp"
[[ ! -e $user_settings/Brinefold.ini ]] || fail "/KEEPSNAPSHOT kept %APPDATA%\\Brinefold\\Brinefold.ini (the settings)"
[[ -f $user_settings/notes.txt ]] || fail "the uninstall deleted the user's own file in %APPDATA%\\Brinefold"
[[ ! -e $sys/Brinefold.scr ]] || fail "Brinefold.scr is still in the system folder"

echo "== 3. no screensaver before; old shared settings; another user's old picture; a link"
probe delete "$desktop" SCRNSAVE.EXE
probe delete "$desktop" ScreenSaveActive
# An older version's shared settings, which every account could change,
# naming a share: set aside, nobody's default any more. (Wine makes a file's
# rights from its Unix mode: writable by others is Everyone's write grant.)
printf '[Section]\r\nBGM\xcc\xa7\xb2\xd9=\\\\attacker.example\\share\\song.mp3\r\n' >"$sys/Brinefold.ini"
chmod o+w "$sys/Brinefold.ini"
install "install over old shared settings" /S /SETCURRENT
[[ ! -e $sys/Brinefold.ini ]] || fail "the old shared Brinefold.ini is still everyone's default"
grep -q 'attacker' "$sys/Brinefold.ini.old-shared" 2>/dev/null || fail "the old shared Brinefold.ini was not set aside"
expect "SCRNSAVE.EXE" "$(value "$desktop" SCRNSAVE.EXE)" "$ours"
# Wine takes a file's owner from its Unix owner (our uid is the user, any
# other Anonymous, S-1-5-7) and ignores one set through SetNamedSecurityInfo:
# another user's picture is one chowned away. The cut-short save beside it is
# the user's.
rm -rf "$velkor" && mkdir -p "$velkor"
printf 'BM' >"$velkor/Brinefold.bmp"
printf 'BM' >"$velkor/Brinefold.bmp.new"
chown 65534 "$velkor/Brinefold.bmp" || fail "could not give the old picture another owner (needs root)"
expect "owner of C:\\velkor\\Brinefold.bmp" "$(whose 'C:\velkor\Brinefold.bmp')" other
# The pictures' folder is a link (Wine shows a Unix symbolic link to a folder
# as a reparse point) to a folder holding a picture and more: all kept.
rm -rf "$user_pictures" "$link_target" && mkdir -p "$link_target"
printf 'BM' >"$link_target/Brinefold.bmp"
printf 'mine' >"$link_target/notes.txt"
ln -s "$link_target" "$user_pictures"
uninstall /S
[[ -f $link_target/Brinefold.bmp && -f $link_target/notes.txt ]] ||
  fail "the uninstall deleted through the link at %LOCALAPPDATA%\\Brinefold"
[[ ! -e $sys/Brinefold.ini.old-shared ]] || fail "the uninstall kept Brinefold.ini.old-shared"
expect "SCRNSAVE.EXE after uninstall" "$(value "$desktop" SCRNSAVE.EXE)" '<absent>'
expect "ScreenSaveActive after uninstall" "$(value "$desktop" ScreenSaveActive)" '<absent>'
[[ -f $velkor/Brinefold.bmp ]] || fail "the uninstall deleted another user's C:\\velkor\\Brinefold.bmp"
[[ ! -e $velkor/Brinefold.bmp.new ]] || fail "the uninstall kept the user's C:\\velkor\\Brinefold.bmp.new"

echo "== 4. C:\\velkor swapped for a link during the cleanup"
# swap delete|close: in the background, at the first deletion or closing of
# a file in C:\velkor, puts a link to another folder in the folder's place
# (the folder itself goes aside, to velkor.moved), as fast as a user's program
# racing the elevated installer can; returns once it watches. Until
# velkor.stop appears it notes in velkor.seen what was opened or deleted in
# the other folder ("open NAME", "delete NAME").
# The swapper runs at a real-time priority where it may, so that it acts the
# moment it is woken, even on a busy machine.
swap_priority=()
chrt -f 10 true 2>/dev/null && swap_priority=(chrt -f 10)
swap() {
  rm -f "$velkor.watching" "$velkor.moved" "$velkor.stop" "$velkor.seen"
  "${swap_priority[@]}" python3 - "$velkor" "$link_target" "$1" <<'PY' &
import ctypes, os, select, struct, sys
folder, target, events = sys.argv[1:]
libc = ctypes.CDLL(None, use_errno=True)
watch, seen = libc.inotify_init(), libc.inotify_init()
mask = {"delete": 0x200, "close": 0x18}[events]  # IN_DELETE; IN_CLOSE_WRITE | IN_CLOSE_NOWRITE
if libc.inotify_add_watch(watch, folder.encode(), mask) < 0 or libc.inotify_add_watch(seen, target.encode(), 0x220) < 0:
    sys.exit("cannot watch " + folder)
os.symlink(target, folder + ".moved")
open(folder + ".watching", "w").close()
while not os.read(watch, 4096)[16:].strip(b"\0"):  # an event on the folder itself has no name
    pass
# At once: the link and the folder trade places (RENAME_EXCHANGE).
# A folder already gone was faster than the swap: no race this time.
if libc.renameat2(-100, folder.encode(), -100, (folder + ".moved").encode(), 2) != 0 and ctypes.get_errno() != 2:
    sys.exit("cannot swap: errno %d" % ctypes.get_errno())
with open(folder + ".seen", "w") as log:
    stop = False
    while True:
        if select.select([seen], [], [], 0.05)[0]:
            data = os.read(seen, 4096)
            while data:
                event, size = struct.unpack_from("iIII", data)[1::2]
                name = data[16:16 + size].rstrip(b"\0").decode()
                log.write(("open " if event & 0x20 else "delete ") + name + "\n")
                data = data[16 + size:]
        elif stop:
            break
        else:
            stop = os.path.exists(folder + ".stop")
PY
  swapper=$!
  for _ in $(seq 100); do [[ -e $velkor.watching ]] && break; sleep 0.05; done
}
# The old pictures, and in the other folder the same names, one of them
# another account's, the other the user's.
plant() {
  rm -rf "$velkor" "$velkor.moved" "$link_target" && mkdir -p "$velkor" "$link_target"
  printf 'BM' >"$velkor/Brinefold.bmp"
  printf 'BM' >"$velkor/Brinefold.bmp.new"
  printf 'theirs' >"$link_target/Brinefold.bmp"
  printf 'mine' >"$link_target/Brinefold.bmp.new"
  chown 65534 "$link_target/Brinefold.bmp"
}
# untouched STEP TRY: the other folder's files as planted. A file opened there
# (through the link) must not be deleted. One deleted without being opened
# there was opened in C:\velkor before the swap: Wine deletes a file marked
# for deletion by its name when the handle closes, and so through a link put
# in between; Windows deletes the file the handle was opened on, and keeps
# the folder from being renamed while it is held open. Counts the tries in
# which the link came before the second picture was deleted.
raced=0
untouched() {
  local i name
  touch "$velkor.stop"
  for i in $(seq 40); do kill -0 "$swapper" 2>/dev/null || break; sleep 0.05; done
  if kill -0 "$swapper" 2>/dev/null; then
    kill "$swapper"
    fail "$1, try $2: the link was never swapped in"
  fi
  wait "$swapper" || fail "$1, try $2: the swapper failed"
  swapper=
  for name in Brinefold.bmp Brinefold.bmp.new; do
    if grep -qx "open $name" "$velkor.seen" && [[ ! -e $link_target/$name ]]; then
      fail "$1, try $2: the cleanup deleted $name through the link"
    elif [[ ! -e $link_target/$name ]]; then
      echo "$1, try $2: Wine deleted $name by name through a link swapped in after it was opened"
    fi
  done
  [[ ! -e $velkor.moved/Brinefold.bmp.new ]] || raced=$((raced + 1))
  rm -f "$velkor" "$velkor.stop" "$velkor.seen"
}
tries=5
for try in $(seq $tries); do
  plant
  swap delete
  install "install with a link swapped in, try $try" /S
  untouched "install" "$try"
done
echo "the link came before the install's second delete in $raced of $tries tries"
((raced > 0)) || fail "so nothing was proved"
raced=0
for try in $(seq $tries); do
  install "install before the uninstall, try $try" /S
  plant
  swap close
  uninstall /S
  untouched "uninstall" "$try"
done
echo "the link came before the uninstall's second delete in $raced of $tries tries"
((raced > 0)) || fail "so nothing was proved"

if ((failures > 0)); then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all checks passed"
