#!/usr/bin/env python3
"""Writes the benchmark's input PDFs: plain PDF syntax with a classic
cross-reference table, a balanced page tree and one shared font.

  make_pdfs.py text PAGES OUT.pdf      text pages (40 lines each)
  make_pdfs.py images MEGABYTES OUT.pdf   pages holding one incompressible
                                          image of about 1 MB each
  make_pdfs.py reportlab PAGES OUT.pdf  the layout ReportLab writes: a flat page
                                          tree, inline /Resources naming one shared
                                          indirect /Font dictionary, 55 lines a page
                                          in ASCII85 + Flate content streams
  make_pdfs.py content PAGES OUT.pdf    the same layout with Flate-only content
                                          streams of longer lines
  make_pdfs.py shared PAGES OUT.pdf     that, but every page's /Contents names
                                          one single content stream object
The last three print the decoded content per page in bytes.
"""
import base64
import os
import zlib
import random
import sys


class PdfWriter:
    def __init__(self):
        self.parts = [b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"]
        self.size = len(self.parts[0])
        self.offsets = {}

    def add(self, number, body, stream=None):
        self.offsets[number] = self.size
        data = b"%d 0 obj\n" % number + body
        if stream is not None:
            data += b"\nstream\n" + stream + b"\nendstream"
        data += b"\nendobj\n"
        self.parts.append(data)
        self.size += len(data)

    def finish(self, path, root, info=None):
        count = max(self.offsets) + 1
        xref = self.size
        lines = [b"xref\n0 %d\n0000000000 65535 f \n" % count]
        for n in range(1, count):
            if n in self.offsets:
                lines.append(b"%010d 00000 n \n" % self.offsets[n])
            else:
                lines.append(b"0000000000 65535 f \n")
        lines.append(b"trailer\n<< /Size %d /Root %d 0 R%s >>\nstartxref\n%d\n%%%%EOF\n"
                     % (count, root, b" /Info %d 0 R" % info if info else b"", xref))
        with open(path, "wb") as out:
            out.writelines(self.parts + lines)


def page_tree(writer, page_numbers, first_free, fanout=50):
    """Adds intermediate /Pages nodes over the pages; returns the root node
    number and the next free object number. Pages carry /Parent."""
    level = page_numbers
    parents = {}
    next_number = first_free
    while len(level) > 1 or not parents:
        groups = [level[i:i + fanout] for i in range(0, len(level), fanout)]
        upper = []
        for group in groups:
            node = next_number
            next_number += 1
            for kid in group:
                parents[kid] = node
            upper.append((node, group))
        for node, group in upper:
            count = sum(leaves.get(k, 1) for k in group)
            leaves[node] = count
            nodes[node] = (group, count)
        level = [node for node, _ in upper]
        if len(level) == 1:
            break
    return level[0], next_number, parents


leaves = {}
nodes = {}


def write_text(pages, path):
    w = PdfWriter()
    font = 2
    w.add(font, b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
    page_numbers = [10 + 2 * i for i in range(pages)]
    root_node, next_free, parents = page_tree(w, page_numbers, 10 + 2 * pages)
    for i, p in enumerate(page_numbers):
        lines = b"".join(b"72 %d Td (Line %d of page %d: the quick brown fox jumps over the lazy dog) Tj\n"
                         % (-14 if k else 760, k + 1, i + 1) for k in range(40))
        content = b"BT /F1 11 Tf 14 TL\n" + lines + b"ET\n"
        w.add(p + 1, b"<< /Length %d >>" % len(content), content)
        w.add(p, b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 595 842] /Contents %d 0 R "
                 b"/Resources << /Font << /F1 %d 0 R >> /ProcSet [/PDF /Text] >> >>" % (parents[p], p + 1, font))
    write_nodes(w, parents, root_node)
    w.add(1, b"<< /Type /Catalog /Pages %d 0 R >>" % root_node)
    w.finish(path, 1)


def write_images(megabytes, path):
    rng = random.Random(7)
    w = PdfWriter()
    side = 580  # 580 x 580 RGB = about 1 MB
    pages = megabytes
    page_numbers = [10 + 3 * i for i in range(pages)]
    root_node, _, parents = page_tree(w, page_numbers, 10 + 3 * pages)
    for i, p in enumerate(page_numbers):
        pixels = rng.randbytes(side * side * 3)
        w.add(p + 2, b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB "
                     b"/BitsPerComponent 8 /Length %d >>" % (side, side, len(pixels)), pixels)
        content = b"q 500 0 0 500 47 171 cm /Im0 Do Q\n"
        w.add(p + 1, b"<< /Length %d >>" % len(content), content)
        w.add(p, b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 595 842] /Contents %d 0 R "
                 b"/Resources << /XObject << /Im0 %d 0 R >> >> >>" % (parents[p], p + 1, p + 2))
    write_nodes(w, parents, root_node)
    w.add(1, b"<< /Type /Catalog /Pages %d 0 R >>" % root_node)
    w.finish(path, 1)


# The "content" lines decode to 5,551 bytes a page on average over 2,000
# pages (5,606 over 20,000, 5,661 over 200,000: the page numbers grow).
CONTENT_LINE = b"BT 1 0 0 1 72 %d Tm (Line %d of page %d: the quick brown fox jumps over the sleepy dog.) Tj T* ET\n"
REPORTLAB_LINE = b"BT 1 0 0 1 72 %d Tm (Line %d of page %d: the quick brown fox jumps over the lazy dog.) Tj T* ET\n"


def write_reportlab(pages, path, line=REPORTLAB_LINE, ascii85=True, shared=False):
    """Returns the decoded content bytes per page."""
    w = PdfWriter()
    w.parts[0] = b"%PDF-1.4\n%\x93\x8c\x8b\x9e generated PDF document\n"
    w.size = len(w.parts[0])
    w.add(1, b"<<\n/F1 2 0 R\n>>")
    w.add(2, b"<<\n/BaseFont /Helvetica /Encoding /WinAnsiEncoding /Name /F1 /Subtype /Type1 /Type /Font\n>>")
    first_page, step = 5, 1 if shared else 2
    tree = first_page + step * pages + shared
    decoded = 0
    for i in range(pages):
        page = first_page + step * i
        contents = first_page + pages if shared else page + 1
        w.add(page, b"<<\n/Contents %d 0 R /MediaBox [ 0 0 612 792 ] /Parent %d 0 R /Resources <<\n"
                    b"/Font 1 0 R /ProcSet [ /PDF /Text /ImageB /ImageC /ImageI ]\n>> /Rotate 0 /Trans <<\n\n>> \n"
                    b"  /Type /Page\n>>" % (contents, tree))
        if shared and i > 0:
            continue
        text = b"1 0 0 1 0 0 cm BT /F1 11 Tf 12.65 TL ET\n" + b"".join(
            line % (760 - 13 * k, k + 1, i + 1) for k in range(55))
        decoded += len(text)
        data = zlib.compress(text)
        if ascii85:
            data = base64.a85encode(data, wrapcol=72) + b"~>"
            w.add(contents, b"<<\n/Filter [ /ASCII85Decode /FlateDecode ] /Length %d\n>>" % len(data), data)
        else:
            w.add(contents, b"<<\n/Filter /FlateDecode /Length %d\n>>" % len(data), data)
    kids = b" ".join(b"%d 0 R" % (first_page + step * i) for i in range(pages))
    w.add(tree, b"<<\n/Count %d /Kids [ %s ] /Type /Pages\n>>" % (pages, kids))
    w.add(3, b"<<\n/PageMode /UseNone /Pages %d 0 R /Type /Catalog\n>>" % tree)
    w.add(4, b"<<\n/Author (anonymous) /CreationDate (D:20260101000000+00'00') /Creator (unspecified) "
             b"/Producer (generated) /Subject (unspecified) /Title (untitled) /Trapped /False\n>>")
    w.finish(path, 3, info=4)
    return decoded // (1 if shared else pages)


def write_nodes(w, parents, root_node):
    for node, (kids, count) in nodes.items():
        parent = b" /Parent %d 0 R" % parents[node] if node in parents else b""
        refs = b" ".join(b"%d 0 R" % k for k in kids)
        w.add(node, b"<< /Type /Pages%s /Kids [%s] /Count %d >>" % (parent, refs, count))


if __name__ == "__main__":
    kind, amount, out = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    leaves.clear()
    nodes.clear()
    if kind == "text":
        write_text(amount, out)
    elif kind == "reportlab":
        print(write_reportlab(amount, out))
    elif kind == "content":
        print(write_reportlab(amount, out, CONTENT_LINE, ascii85=False))
    elif kind == "shared":
        print(write_reportlab(amount, out, CONTENT_LINE, ascii85=False, shared=True))
    else:
        write_images(amount, out)
