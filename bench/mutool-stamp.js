// Stamps "n/N" in Helvetica in the footer of every page of each file, saved
// in place as an incremental update: the same job as the bench's sigilry-cli
// rows, done with MuPDF's scripting, for comparison.
//   mutool run bench/mutool-stamp.js FILE...
// Each page gets its font resource and a small content stream appended after
// its own; a stream holding "q", shared by the file's pages, goes first so the
// page's graphics state is restored before the stamp draws. Like the tool, it
// centres on the MediaBox; unlike it, it ignores /Rotate and the CropBox, and
// it does not sync the file to the disk.
var font = new Font("Helvetica");
var size = 9;

function textWidth(text) {
  var w = 0;
  for (var i = 0; i < text.length; i++)
    w += font.advanceGlyph(font.encodeCharacter(text.charCodeAt(i)), 0);
  return w * size;
}

function inherited(page, key) {
  for (var node = page; node.isDictionary(); node = node.get("Parent")) {
    var value = node.get(key);
    if (!value.isNull()) return value;
  }
  return null;
}

for (var a = 0; a < scriptArgs.length; a++) {
  var path = scriptArgs[a];
  var doc = new PDFDocument(path);
  var fontRef = doc.addSimpleFont(font, "Latin");
  var save = doc.addStream("q\n", null);
  var count = doc.countPages();
  for (var i = 0; i < count; i++) {
    var page = doc.findPage(i);
    var res = inherited(page, "Resources");
    if (!res) {
      res = doc.newDictionary();
      page.put("Resources", res);
    }
    var fonts = res.get("Font");
    if (fonts.isNull()) {
      fonts = doc.newDictionary();
      res.put("Font", fonts);
    }
    fonts.put("SgStampF", fontRef);

    var box = inherited(page, "MediaBox");
    var text = (i + 1) + "/" + count;
    var x = (box.get(0) + box.get(2)) / 2 - textWidth(text) / 2;
    var y = box.get(1) + 24;
    var stamp = doc.addStream("Q BT /SgStampF " + size + " Tf " + x.toFixed(2) + " " + y + " Td (" +
                              text + ") Tj ET\n", null);

    var contents = page.get("Contents");
    var all = doc.newArray();
    all.push(save);
    if (contents.isArray())
      for (var k = 0; k < contents.length; k++) all.push(contents.get(k));
    else if (!contents.isNull())
      all.push(contents);
    all.push(stamp);
    page.put("Contents", all);
  }
  doc.save(path, "incremental");
}
