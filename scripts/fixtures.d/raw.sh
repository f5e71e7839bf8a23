# Image group "raw": a disk without any file system holding Word, Excel and
# PowerPoint files made by LibreOffice (headless conversion) and ZIP files made
# by zip, each starting at a sector boundary, with gaps of random bytes and of
# zeros between them, for raw recovery. Sourced by scripts/make-fixtures.sh.
#
# raw.json lists every planted file: name, type (doc, xls, ppt, zip), first
# sector, size and SHA-256, and what made it. Several files end in the
# 800-sector window in which the next one starts, a ZIP comes right before a
# compound file in one window, and one spreadsheet is larger than 5 MiB.
# The image is tens of MiB; its random gaps are short, so it packs small.

if ! command -v soffice >/dev/null; then
    apt-get install -y -qq --no-install-recommends libreoffice-writer-nogui \
        libreoffice-calc-nogui libreoffice-impress-nogui >/dev/null
fi
for tool in soffice zip; do
    command -v "$tool" >/dev/null || die "missing tool: $tool"
done

RAW=$WORK/raw
mkdir -p "$RAW/src" "$RAW/files" "$RAW/profile"

# Source documents: text for the word-processor files, tables for the
# spreadsheets, flat presentations for the slide files.
python3 - "$RAW/src" <<'PY'
import os, random, sys
src = sys.argv[1]
rnd = random.Random(20240315)
WORDS = ("account budget client delta estimate forecast growth harbor invoice journal "
         "kernel ledger margin network office payroll quarter revenue sector target").split()

def text(name, paragraphs):
    with open(os.path.join(src, name), "w") as f:
        for i in range(paragraphs):
            f.write("%d. %s.\n\n" % (i + 1, " ".join(rnd.choice(WORDS) for _ in range(40))))

def table(name, rows, cols, words=True):
    with open(os.path.join(src, name), "w") as f:
        f.write(",".join("col%d" % c for c in range(cols)) + "\n")
        for r in range(rows):
            cells = [str(r * cols + c) for c in range(cols)]
            if words:
                cells[0] = rnd.choice(WORDS)
            f.write(",".join(cells) + "\n")

def slides(name, count):
    pages = "".join(
        '<draw:page draw:name="page%d"><draw:frame svg:x="2cm" svg:y="2cm" svg:width="22cm" '
        'svg:height="12cm"><draw:text-box><text:p>Slide %d: %s</text:p></draw:text-box>'
        '</draw:frame></draw:page>' % (i + 1, i + 1, " ".join(rnd.choice(WORDS) for _ in range(30)))
        for i in range(count))
    with open(os.path.join(src, name), "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<office:document '
                'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
                'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
                'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
                'xmlns:presentation="urn:oasis:names:tc:opendocument:xmlns:presentation:1.0" '
                'office:version="1.2" '
                'office:mimetype="application/vnd.oasis.opendocument.presentation">'
                '<office:body><office:presentation>%s</office:presentation></office:body>'
                '</office:document>\n' % pages)

text("letter.txt", 12)
text("report.txt", 160)
text("notes.txt", 3)
text("memo.txt", 40)
table("budget.csv", 60, 6)
table("ledger.csv", 900, 8)
table("census.csv", 62000, 16, words=False)   # the spreadsheet over 5 MiB
slides("talk.fodp", 4)
slides("review.fodp", 12)
for name, lines in (("readme.txt", 40), ("changes.txt", 400), ("data.txt", 3000)):
    with open(os.path.join(src, name), "w") as f:
        for i in range(lines):
            f.write("%05d %s\n" % (i, " ".join(rnd.choice(WORDS) for _ in range(10))))
PY

convert() { # FORMAT FILE...: one LibreOffice run for several files
    local format=$1; shift
    quiet env HOME="$RAW/profile" soffice --headless --norestore \
        -env:UserInstallation=file://"$RAW/profile" --convert-to "$format" \
        --outdir "$RAW/files" "$@"
}
convert doc "$RAW/src/letter.txt" "$RAW/src/report.txt" "$RAW/src/notes.txt"
convert docx "$RAW/src/memo.txt"
convert xls "$RAW/src/budget.csv" "$RAW/src/ledger.csv" "$RAW/src/census.csv"
convert ppt "$RAW/src/talk.fodp" "$RAW/src/review.fodp"

# ZIP files: stored, deflated, with a long comment, and streamed from a pipe
# (zip64 fields, version needed 4.5).
(
    cd "$RAW/src"
    quiet ft zip -q -0 "$RAW/files/stored.zip" readme.txt changes.txt
    quiet ft zip -q -9 "$RAW/files/deflated.zip" data.txt changes.txt letter.txt
    python3 -c 'print("Archive comment. " * 120)' >"$RAW/comment.txt"
    quiet ft zip -q -9 -z "$RAW/files/commented.zip" readme.txt memo.txt <"$RAW/comment.txt"
    ft zip -q "$RAW/files/piped.zip" - <data.txt
)

# The disk: files at sector boundaries in this order, each after a gap of
# zeros ("z") or random bytes ("r") of the given number of sectors.
python3 - "$RAW/files" "$OUTDIR/raw.img" "$OUTDIR/raw.json" <<'PY'
import hashlib, json, os, random, sys
files, image, manifest = sys.argv[1:4]
rnd = random.Random(7)
layout = [
    ("letter.doc", "z", 2048), ("stored.zip", "r", 3), ("budget.xls", "r", 5),
    ("talk.ppt", "z", 1), ("deflated.zip", "r", 7), ("report.doc", "z", 900),
    ("memo.docx", "r", 2), ("ledger.xls", "z", 2), ("commented.zip", "z", 3000),
    ("census.xls", "r", 11), ("review.ppt", "r", 4), ("notes.doc", "z", 1),
    ("piped.zip", "r", 9),
]
kinds = {".doc": "doc", ".xls": "xls", ".ppt": "ppt", ".zip": "zip", ".docx": "zip"}
made = {".doc": "LibreOffice", ".xls": "LibreOffice", ".ppt": "LibreOffice",
        ".docx": "LibreOffice", ".zip": "zip"}
out = bytearray()
entries = []
for name, gap, sectors in layout:
    out += bytes(sectors * 512) if gap == "z" else rnd.randbytes(sectors * 512)
    data = open(os.path.join(files, name), "rb").read()
    ext = os.path.splitext(name)[1]
    entries.append({"name": name, "type": kinds[ext], "firstSector": len(out) // 512,
                    "size": len(data), "sha256": hashlib.sha256(data).hexdigest(),
                    "madeBy": made[ext]})
    out += data
    out += bytes(-len(out) % 512)
out += bytes(8 * 1024 * 1024)  # zeros to the end of the disk
out += bytes(-len(out) % (1024 * 1024))
open(image, "wb").write(out)
with open(manifest, "w") as f:
    json.dump({"image": "raw.img", "sizeBytes": len(out), "sectorSize": 512,
               "description": "Word, Excel and PowerPoint files made by LibreOffice and ZIP "
               "files made by zip, at sector boundaries with gaps of zeros and random bytes; "
               "no partition table and no file system.", "files": entries}, f, indent=2)
    f.write("\n")
PY
