#!/usr/bin/env bash
# The console client built for Linux and built for Windows (run under Wine)
# must print the same bytes for the same search list and the same options:
# both run the one portable core, so any difference is a fault of the code
# page, the line handling or the platform layer.
#
# A generated data folder (three drives, Shift-JIS names, a name whose trail
# byte is "\", recycle folders, removed folders, hidden and system entries,
# a hand-edited line) lies inside the Wine prefix; the Linux client reads it
# by its Unix path, the Windows client as C:\find-data. Queries in Japanese
# are given to Linux as Shift-JIS bytes and to Wine as UTF-8 (Wine turns them
# into the ANSI code page); the Linux client runs under the C locale, where it
# takes and prints the list's bytes unchanged. The Windows C runtime writes
# CR LF for each line end; those CRs are removed before the comparison,
# nothing else.
#
# Skipped (exit 0) when one of the two clients has not been built.
set -uo pipefail

root=${FILVEX_ROOT:-$(cd "$(dirname "$0")/../.." && pwd)}
native=${FILVEX_FIND_NATIVE:-$root/build/native/filvex-find}
windows=${FILVEX_FIND_WIN:-$root/build/win/filvex-find.exe}
for exe in "$native" "$windows"; do
  if [ ! -f "$exe" ]; then
    echo "find_native_vs_wine: skipped, $exe is not built"
    exit 0
  fi
done

export FILVEX_ROOT=$root
# shellcheck source=scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
trap filvex_wine_run_end EXIT
filvex_wine_run_begin "$root/build/wine-runs/find-native-vs-wine" || {
  echo "find_native_vs_wine: no Wine environment"
  exit 1
}
filvex_wine_install "$windows" 'C:\filvex-find'
data=$(filvex_wine_unix_path 'C:\find-data')
out="$FILVEX_RUN_DIR/out"
mkdir -p "$data" "$out"

# The search list: folders in walk order per drive, about nine files per
# folder, everything seeded so every run compares the same list.
python3 - "$data" <<'EOF'
import random, sys, os
random.seed(20240613)
data = sys.argv[1]
words = ["project", "src", "docs", "Images", "backup", "music", "Report", "temp", "data",
         "README", "photos", "Windows", "old", "写真", "表示", "ソース", "仕事", "ﾃｽﾄ", "Ａｂｃ"]
exts = [".txt", ".jpg", ".TXT", ".doc", ".xls", ".mp3", ".dll", ".exe", ".htm", ".cpp", "", ".lnk"]
def date():
    return "%04d/%02d/%02d %02d:%02d" % (random.randint(1998, 2024), random.randint(1, 12),
                                         random.randint(1, 28), random.randint(0, 23),
                                         random.randint(0, 59))
folders, folder_info, files, file_info = [], [], [], []
folder_counts, file_counts = [], []
for drive in "CDE":
    first_folder, first_file = len(folders), len(files)
    folders.append(drive + ":")
    folder_info.append("yyyy/mm/dd hh:nnyyyy/mm/dd hh:nn00")
    stack = [drive + ":"]
    for _ in range(900):
        keep = random.randint(1, min(len(stack), 6))
        del stack[keep:]
        name = random.choice(words) + (str(random.randint(0, 50)) if random.random() < 0.6 else "")
        if random.random() < 0.02:
            name = "Recycled"
        path = stack[-1] + "\\" + name
        stack.append(path)
        number = len(folders)
        removed = random.random() < 0.02
        folders.append("" if removed else path)
        attr = 0x10 | (0x02 if random.random() < 0.05 else 0) | (0x01 if random.random() < 0.03 else 0)
        folder_info.append(date() + date() + "%02X" % (attr | 0x20))
        for _ in range(random.randint(0, 18)):
            fname = random.choice(words) + "_" + str(random.randint(0, 9999)) + random.choice(exts)
            files.append("%d=%s" % (number, fname))
            fattr = 0x10 | (0x04 if random.random() < 0.1 else 0) | (0x02 if random.random() < 0.05 else 0) \
                | (0x01 if random.random() < 0.02 else 0)
            size = random.choice([0, 1, 3, 100, 1500, 2048, random.randint(0, 5000000)])
            file_info.append(date() + date() + "%02X%d" % (fattr, size))
    folder_counts.append("%s=%d" % (drive, len(folders) - first_folder))
    file_counts.append("%s=%d" % (drive, len(files) - first_file))
# A hand-edited information line, kept and read as it is.
file_info[5] = "edited by hand"
def write(name, lines):
    with open(os.path.join(data, name), "wb") as f:
        f.write(b"".join(l.encode("cp932") + b"\r\n" for l in lines))
write("sach.txt", folders)
write("sachinfo1.txt", folder_info)
write("sachfile.txt", files)
write("sachinfo2.txt", file_info)
write("folderdat.txt", folder_counts)
write("filedat.txt", file_counts)
with open(os.path.join(data, "searchdata.ini"), "wb") as f:
    f.write(b"[DATA]\r\nmax=300\r\n")
EOF

# One query per line: the options and the query, separated by "|" (the query
# may hold blanks; it is given in UTF-8 here).
queries=(
  "|txt"
  "--folders --columns|readme/data"
  "--and --count|src/txt"
  "--head --drives D --sort size --desc|pro"
  "--attr SH --count --no-maxstop --max 100|e"
  "--mode attr --attr H --count|x"
  "--date created --from 2001/01/01 --to 2010/12/31 --folders --sort date|doc"
  "--mode size --size range --low 100KB --high 2MB --sort path --count|a"
  "--folders --count|写真"
  "--columns|ｽ"
  "--recy --columns --sort attr|temp"
  "--drives cx --sort type --count|."
  "--count|\\"
  "--count|zzzz"
)

failed=0
for i in "${!queries[@]}"; do
  entry=${queries[$i]}
  read -r -a options <<<"${entry%%|*}"
  query=${entry#*|}
  sjis=$(printf '%s' "$query" | iconv -f UTF-8 -t CP932)
  rc_native=0
  rc_wine=0
  LC_ALL=C "$native" --data "$data" "${options[@]}" -- "$sjis" >"$out/$i.native" \
    2>"$out/$i.native.err" || rc_native=$?
  filvex_wine_exec 120 "$out/$i.wine" 'C:\filvex-find\filvex-find.exe' --data 'C:\find-data' \
    "${options[@]}" -- "$query" || rc_wine=$?
  tr -d '\r' <"$out/$i.wine.out" >"$out/$i.wine"
  lines=$(wc -l <"$out/$i.native")
  if [ "$rc_native" -ne "$rc_wine" ]; then
    echo "FAILED ${options[*]} $query: exit status $rc_native natively, $rc_wine under Wine"
    failed=1
  elif ! cmp -s "$out/$i.native" "$out/$i.wine"; then
    echo "FAILED ${options[*]} $query: outputs differ ($out/$i.native, $out/$i.wine)"
    diff <(iconv -f CP932 -t UTF-8 -c "$out/$i.native") <(iconv -f CP932 -t UTF-8 -c "$out/$i.wine") |
      head -n 10
    failed=1
  else
    echo "same: ${options[*]} $query ($lines lines, exit status $rc_native)"
  fi
done
# The queries must have found something, or the comparison proves little.
if [ "$(cat "$out"/*.native | wc -l)" -lt 100 ]; then
  echo "FAILED: the queries found almost nothing"
  failed=1
fi
exit "$failed"
