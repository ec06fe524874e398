#!/usr/bin/env bash
# Writes the source PDFs and watermark images of the golden cases. They are
# committed; run this only to add a source, then review the new golden files.
# Needs ps2pdf, qpdf, pdftoppm and the system Python with Cairo.
set -euo pipefail
cd "$(dirname "$0")"

cat > three.ps <<'PS'
%!PS
/Helvetica findfont 20 scalefont setfont
<< /PageSize [595 842] >> setpagedevice 0 setgray 72 782 moveto (Body 1) show showpage
<< /PageSize [842 595] >> setpagedevice 0.8 setgray 100 100 300 200 rectfill
0 setgray 72 535 moveto (Body 2) show showpage
<< /PageSize [612 792] >> setpagedevice 0 setgray 72 732 moveto (Body 3) show showpage
PS
ps2pdf -dAutoRotatePages=/None three.ps ghostscript-3.pdf
rm three.ps
qpdf --static-id --object-streams=generate ghostscript-3.pdf xref-stream-3.pdf

/usr/bin/python3 - <<'PY'
import cairo
s = cairo.PDFSurface("cairo-2.pdf", 595, 842)
c = cairo.Context(s)
for i, (w, h) in enumerate([(595, 842), (420, 595)]):
    s.set_size(w, h)
    c.set_source_rgb(0, 0, 0); c.move_to(72, 60); c.set_font_size(20); c.show_text("Cairo %d" % (i + 1))
    c.show_page()
s.finish()
PY

# Two files written by hand with exact offsets: rotated pages with inherited
# boxes and resources, a media box away from the origin and a crop box; and a
# page dictionary with comments in it, as some writers put them.
/usr/bin/python3 - <<'PY'
def write_pdf(name, objs, content):
    objs[4] = b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream"
    out = b"%PDF-1.4\n"
    offsets = {}
    for n in sorted(objs):
        offsets[n] = len(out)
        out += b"%d 0 obj\n" % n + objs[n] + b"\nendobj\n"
    xref, size = len(out), max(objs) + 1
    out += b"xref\n0 %d\n0000000000 65535 f \n" % size
    out += b"".join(b"%010d 00000 n \n" % offsets[n] for n in range(1, size))
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (size, xref)
    open(name, "wb").write(out)

write_pdf("rotated-4.pdf", {
    1: b"<< /Type /Catalog /Pages 2 0 R >>",
    2: b"<< /Type /Pages /Kids [3 0 R 9 0 R] /Count 4 /MediaBox [0 0 595 842] /Resources << /Font << /F1 8 0 R >> >> >>",
    3: b"<< /Type /Page /Parent 2 0 R /Rotate 90 /Contents 4 0 R >>",
    9: b"<< /Type /Pages /Parent 2 0 R /Kids [5 0 R 6 0 R 7 0 R] /Count 3 /Rotate 180 >>",
    5: b"<< /Type /Page /Parent 9 0 R /Contents 4 0 R >>",
    6: b"<< /Type /Page /Parent 9 0 R /Rotate -90 /MediaBox [100 50 695 892] /Contents 4 0 R >>",
    7: b"<< /Type /Page /Parent 9 0 R /Rotate 0 /CropBox [20 20 500 700] /Contents 4 0 R >>",
    8: b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
}, b"BT /F1 18 Tf 150 400 Td (Turned page) Tj ET")
write_pdf("commented-page.pdf", {
    1: b"<< /Type /Catalog /Pages 2 0 R >>",
    2: b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    3: b"<< /Type /Page /Parent 2 0 R %1\n/MediaBox [0 0 595 842] % size: A4\r\n/Rotate 90 %\n"
       b"/Resources << /Font << /F1 5 0 R >> /ProcSet [/PDF] >> /Contents 4 0 R >>",
    5: b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
}, b"BT /F1 18 Tf 72 700 Td (Commented page) Tj ET")
write_pdf("annotated-page.pdf", {
    1: b"<< /Type /Catalog /Pages 2 0 R >>",
    2: b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
    3: b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Annots [<< /Type /Annot /Subtype /Text "
       b"/Rect [72 600 92 620] /Contents (A note) /Resources << /Font << /F9 5 0 R >> >> >>] /Contents 4 0 R "
       b"/Resources << /Font << /F1 5 0 R >> >> >>",
    5: b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
}, b"BT /F1 18 Tf 72 700 Td (Annotated page) Tj ET")
PY

# Watermark images: JPEG from a rendered page, BMP and PNG in several layouts.
pdftoppm -r 12 -singlefile -jpeg ghostscript-3.pdf photo
/usr/bin/python3 - <<'PY'
import struct, zlib
def bmp(name, bits, w, h, palette, rows):
    stride = ((w * bits + 31) // 32) * 4
    data = b"".join(r.ljust(stride, b"\0") for r in rows)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    off = 54 + len(pal)
    head = b"BM" + struct.pack("<IHHI", off + len(data), 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, len(data), 2835, 2835, len(palette), 0)
    open(name, "wb").write(head + info + pal + data)
w, h = 24, 16
bmp("stripes-24.bmp", 24, w, h, [],
    [b"".join(bytes(((x * 10) % 256, (y * 15) % 256, 128)) for x in range(w)) for y in range(h)])
bmp("stripes-8.bmp", 8, w, h, [(i, 255 - i, 64) for i in range(0, 256, 16)],
    [bytes((x + y) % 16 for x in range(w)) for y in range(h)])
def png(name, w, h, depth, ctype, raw_rows, extra=b""):
    def chunk(t, d): return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xffffffff)
    ihdr = struct.pack(">IIBBBBB", w, h, depth, ctype, 0, 0, 0)
    idat = zlib.compress(b"".join(b"\0" + r for r in raw_rows))
    open(name, "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", idat) + chunk(b"IEND", b""))
png("palette.png", w, h, 4, 3, [bytes(((x % 4) << 4) | (y % 4) for x in range(w // 2)) for y in range(h)],
    extra=(lambda d: struct.pack(">I", len(d)) + b"PLTE" + d + struct.pack(">I", zlib.crc32(b"PLTE" + d) & 0xffffffff))(
        bytes((200, 30, 30, 30, 200, 30, 30, 30, 200, 240, 240, 0))))
png("gray-16.png", w, h, 16, 0, [b"".join(struct.pack(">H", (x * 2700 + y * 900) % 65536) for x in range(w)) for y in range(h)])
png("gray-alpha.png", w, h, 8, 4, [b"".join(bytes((x * 10 % 256, y * 16 % 256)) for x in range(w)) for y in range(h)])
PY

# A source that already carries an update of ours (a footer page number).
cp ghostscript-3.pdf stamped-once.pdf
touch empty.ini
../../../build/sigilry-cli --settings empty.ini --yes -q --set Output=2 --set HF4_StyleType=1 --set HF4_FontName=Helvetica stamped-once.pdf
rm empty.ini
