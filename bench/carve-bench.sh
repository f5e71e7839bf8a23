#!/usr/bin/env bash
# Raw recovery, side by side with PhotoRec in one run:
#   1. ground truth on the raw fixture (13 files made by LibreOffice and zip):
#      per planted file, whether ours (copy rule and --exact-size) and
#      PhotoRec (restricted to doc and zip) found it at its first sector,
#      with which type, byte-exact or not, and whether it opens cleanly
#      (unzip -t, or python's own structure walk of the compound file);
#   2. throughput over a 1 GiB image of random bytes holding those 13 files,
#      Word and Zip checked, against dd bs=1M of the same image and PhotoRec
#      restricted to doc and zip (page cache warm; best of three for dd and
#      ours, one PhotoRec run).
# Usage: bench/carve-bench.sh   (BUILD=dir to use an existing release build)
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8

for tool in photorec unzip bc python3; do
    if ! command -v "$tool" >/dev/null; then
        apt-get install -y -qq --no-install-recommends testdisk unzip bc python3 >/dev/null
        break
    fi
done

BUILD=${BUILD:-build/release}
if [[ $BUILD == build/release ]]; then
    cmake --preset release >/dev/null
else
    cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_BUILD_TESTS=OFF \
        >/dev/null
fi
cmake --build "$BUILD" --target quorvane-cli >/dev/null
cli=$(realpath "$BUILD/cli/quorvane-cli")
out=$(realpath -m "$BUILD/bench/carve")
mkdir -p "$out"
now() { date +%s.%N; }
best() { if (( $(echo "$1 < $2" | bc -l) )); then echo "$1"; else echo "$2"; fi; }

tar -xJf tests/fixtures/raw.tar.xz -C "$out" raw.img raw.json
fixture=$out/raw.img

# PhotoRec OUT_DIR IMAGE: doc and zip only, the image as one unpartitioned disk.
photorec_run() {
    rm -rf "$1" && mkdir -p "$1"
    (cd "$1" && photorec /log /d "$1/f" /cmd "$2" \
        partition_none,fileopt,everything,disable,doc,enable,zip,enable,search \
        >/dev/null 2>&1)
}

# --- 1. ground truth ------------------------------------------------------------
rm -rf "$out/ours" "$out/exact"
"$cli" carve "$fixture" --out "$out/ours" --json >"$out/ours.json"
"$cli" carve "$fixture" --out "$out/exact" --exact-size --json >"$out/exact.json"
photorec_run "$out/photorec" "$fixture"
python3 - "$out" <<'PY'
import glob, hashlib, json, os, re, struct, subprocess, sys
out = sys.argv[1]
manifest = json.load(open(os.path.join(out, "raw.json")))
kinds = {"doc": "doc", "xls": "xls", "ppt": "ppt", "zip": "zip", "docx": "zip", "xlsx": "zip"}

def opens(path, kind):
    if kind == "zip":
        return subprocess.run(["unzip", "-tqq", path], capture_output=True).returncode == 0
    d = open(path, "rb").read()
    if d[:8] != b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" or len(d) % 512:
        return False
    n = len(d) // 512 - 1
    at = lambda s: (s + 1) * 512
    count, locations = struct.unpack_from("<I", d, 0x2C)[0], []
    locations += struct.unpack_from("<109I", d, 0x4C)[:count]
    difat = struct.unpack_from("<I", d, 0x44)[0]
    for _ in range(struct.unpack_from("<I", d, 0x48)[0]):
        if difat >= n:
            return False
        entries = struct.unpack_from("<128I", d, at(difat))
        locations += entries[:127][:count - len(locations)]
        difat = entries[127]
    fat = []
    for f in locations:
        if f >= n:
            return False
        fat += struct.unpack_from("<128I", d, at(f))
    s, seen = struct.unpack_from("<I", d, 0x30)[0], set()
    while s != 0xFFFFFFFE:
        if s >= n or s >= len(fat) or s in seen:
            return False
        seen.add(s)
        s = fat[s]
    return len(seen) > 0

def ours(name):
    files = json.load(open(os.path.join(out, name + ".json")))["files"]
    return {f["firstSector"]: (os.path.join(out, name, f["name"]), f["type"]) for f in files}

def photorec():
    found = {}
    for path in glob.glob(os.path.join(out, "photorec", "f.*", "f*")):
        m = re.match(r"f(\d+)", os.path.basename(path))
        ext = path.rsplit(".", 1)[-1].lower()
        if m and ext in kinds:
            found[int(m.group(1))] = (path, kinds[ext])
    return found

tools = [("ours (copy rule)", ours("ours")), ("ours --exact-size", ours("exact")),
         ("PhotoRec", photorec())]
print("1. ground truth on the raw fixture: found / type / byte-exact / opens")
print("   %-14s %-4s %9s" % ("file", "type", "bytes") +
      "".join("  %-20s" % t[0] for t in tools))
sums = [[0, 0, 0, 0] for _ in tools]
for f in manifest["files"]:
    row = "   %-14s %-4s %9d" % (f["name"], f["type"], f["size"])
    for k, (_, found) in enumerate(tools):
        hit = found.get(f["firstSector"])
        if not hit:
            row += "  %-20s" % "missed"
            continue
        path, kind = hit
        data = open(path, "rb").read()
        exact = hashlib.sha256(data).hexdigest() == f["sha256"]
        good = opens(path, f["type"])
        ok = kind == f["type"]
        for i, v in enumerate((1, ok, exact, good)):
            sums[k][i] += v
        row += "  %-20s" % ("%s %s %s" % (kind if ok else kind + "(!)",
                                          "exact" if exact else "longer",
                                          "opens" if good else "broken"))
    print(row)
print("   %-29s" % "totals (found/type/exact/opens)" +
      "".join("  %-20s" % ("%d/%d/%d/%d of %d" % (*s, len(manifest["files"]))) for s in sums))
PY

# --- 2. throughput ---------------------------------------------------------------
big=$out/random-1g.img
if [[ ! -f $big || $(stat -c %s "$big") -ne 1073741824 ]]; then
    rm -f "$big"
    { cat "$fixture"; head -c $(( 1073741824 - $(stat -c %s "$fixture") )) /dev/urandom; } \
        >"$big.part"
    mv "$big.part" "$big"
fi
cat "$big" >/dev/null
bytes=$(stat -c %s "$big")
best_dd=999999 best_ours=999999 files=0
for run in 1 2 3; do
    t0=$(now)
    dd if="$big" of=/dev/null bs=1M status=none
    t1=$(now)
    rm -rf "$out/big-ours"
    "$cli" carve "$big" --out "$out/big-ours" --types doc,zip >"$out/big-ours.txt"
    t2=$(now)
    best_dd=$(best "$(echo "$t1 - $t0" | bc -l)" "$best_dd")
    best_ours=$(best "$(echo "$t2 - $t1" | bc -l)" "$best_ours")
done
files=$(find "$out/big-ours" -type f | wc -l)
t0=$(now)
photorec_run "$out/big-photorec" "$big"
t1=$(now)
photorec_time=$(echo "$t1 - $t0" | bc -l)
photorec_files=$(find "$out/big-photorec" -path '*/f.*/f*' -type f | wc -l)
mib() { echo "$bytes / $1 / 1048576" | bc -l; }
printf '2. 1 GiB image (random bytes, 13 planted files), doc and zip:\n'
printf '   dd bs=1M     %6.2f s  %7.0f MiB/s\n' "$best_dd" "$(mib "$best_dd")"
printf '   ours         %6.2f s  %7.0f MiB/s  %d files   %.2f of dd\n' "$best_ours" \
    "$(mib "$best_ours")" "$files" "$(echo "$best_dd / $best_ours" | bc -l)"
printf '   PhotoRec     %6.2f s  %7.0f MiB/s  %d files   ours %.1fx faster\n' \
    "$photorec_time" "$(mib "$photorec_time")" "$photorec_files" \
    "$(echo "$photorec_time / $best_ours" | bc -l)"
