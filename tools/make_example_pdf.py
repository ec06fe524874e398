#!/usr/bin/env python3
"""Writes examples/example.pdf: a small three-page A4 document with a classic
cross-reference table, the sample that scripts/example.sh stamps."""
import pathlib

def build():
    pages = 3
    objects = {}
    objects[1] = b"<< /Type /Catalog /Pages 2 0 R >>"
    kids = " ".join(f"{3 + 2 * i} 0 R" for i in range(pages))
    objects[2] = f"<< /Type /Pages /Kids [{kids}] /Count {pages} /MediaBox [0 0 595 842] >>".encode()
    font = 3 + 2 * pages
    for i in range(pages):
        page, content = 3 + 2 * i, 4 + 2 * i
        objects[page] = (f"<< /Type /Page /Parent 2 0 R /Contents {content} 0 R "
                         f"/Resources << /Font << /F1 {font} 0 R >> >> >>").encode()
        text = (f"BT /F1 24 Tf 72 700 Td (Sigilry example, page {i + 1}) Tj ET\n"
                f"BT /F1 12 Tf 72 660 Td (This page has no stamps of its own.) Tj ET\n").encode()
        objects[content] = b"<< /Length %d >>\nstream\n" % len(text) + text + b"endstream"
    objects[font] = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"

    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = {}
    for number in sorted(objects):
        offsets[number] = len(out)
        out += b"%d 0 obj\n" % number + objects[number] + b"\nendobj\n"
    xref = len(out)
    size = max(objects) + 1
    out += b"xref\n0 %d\n0000000000 65535 f \n" % size
    for number in range(1, size):
        out += b"%010d 00000 n \n" % offsets[number]
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (size, xref)
    return bytes(out)

if __name__ == "__main__":
    target = pathlib.Path(__file__).resolve().parent.parent / "examples" / "example.pdf"
    target.write_bytes(build())
    print(target)
