#!/usr/bin/env python3
"""Adds the other stories to a generated document, for the engine benchmark.

    add_stories.py IN OUT

Gives a .docx a header, a footer, a footnote at the end of every fifth
paragraph, an endnote and a comment every fiftieth, and a text box (in two
forms, as word processors write it) every hundredth, each with a few
sentences whose marks are followed by one space or two. The same input always
gives the same bytes.
"""
import re
import sys
import zipfile

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
CONTENT = "application/vnd.openxmlformats-officedocument.wordprocessingml."
NAMESPACES = (f' xmlns:w="{W}" xmlns:r="{REL[:-1]}"'
              ' xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006"'
              ' xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"'
              ' xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"'
              ' xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape"'
              ' xmlns:v="urn:schemas-microsoft-com:vml"')
SENTENCES = ["See the figures in the annex.", "Mr. Smith checked them twice.",
             "The totals agree with the ledger.", "Is the method sound?",
             "It was revised in May.", "The sample, e.g. the first batch, is small."]
PARTS = {"header1.xml": ("hdr", "header"), "footer1.xml": ("ftr", "footer"),
         "footnotes.xml": ("footnotes", "footnotes"), "endnotes.xml": ("endnotes", "endnotes"),
         "comments.xml": ("comments", "comments")}


def paragraph(k, count=3):
    text = ""
    for n in range(count):
        text += SENTENCES[(k + n) % len(SENTENCES)] + ("  " if (k + n) % 3 == 0 else " ")
    return f'<w:p><w:r><w:t xml:space="preserve">{text.rstrip()}</w:t></w:r></w:p>'


def part(root, inner):
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'
            f"<w:{root}{NAMESPACES}>{inner}</w:{root}>")


def separators(kind):
    return "".join(f'<w:{kind} w:type="{t}" w:id="{i}"><w:p><w:r><w:{t}/></w:r></w:p></w:{kind}>'
                   for i, t in ((-1, "separator"), (0, "continuationSeparator")))


def text_box(k):
    content = f"<w:txbxContent>{paragraph(k, 2)}</w:txbxContent>"
    drawing = ("<w:drawing><wp:inline><wp:extent cx=\"914400\" cy=\"457200\"/><a:graphic>"
               "<a:graphicData uri=\"http://schemas.microsoft.com/office/word/2010/"
               f"wordprocessingShape\"><wps:wsp><wps:txbx>{content}</wps:txbx></wps:wsp>"
               "</a:graphicData></a:graphic></wp:inline></w:drawing>")
    return (f'<w:r><mc:AlternateContent><mc:Choice Requires="wps">{drawing}</mc:Choice>'
            f"<mc:Fallback><w:pict><v:rect><v:textbox>{content}</v:textbox></v:rect></w:pict>"
            "</mc:Fallback></mc:AlternateContent></w:r>")


def with_stories(document):
    notes, ends, comments = [], [], []
    count = 0

    def at_paragraph_end(match):
        nonlocal count
        count += 1
        extra = ""
        if count % 5 == 0:
            notes.append(f'<w:footnote w:id="{len(notes) + 1}">{paragraph(count)}</w:footnote>')
            extra += f'<w:r><w:footnoteReference w:id="{len(notes)}"/></w:r>'
        if count % 50 == 0:
            ends.append(f'<w:endnote w:id="{len(ends) + 1}">{paragraph(count)}</w:endnote>')
            extra += f'<w:r><w:endnoteReference w:id="{len(ends)}"/></w:r>'
            comments.append(f'<w:comment w:id="{len(comments)}" w:author="B">'
                            f"{paragraph(count, 2)}</w:comment>")
            extra += f'<w:r><w:commentReference w:id="{len(comments) - 1}"/></w:r>'
        if count % 100 == 0:
            extra += text_box(count)
        return extra + match.group(0)

    document = re.sub(r"</w:p>", at_paragraph_end, document)
    root = document[:document.index(">", document.index("<w:document"))]
    missing = "".join(f" {d}" for d in NAMESPACES.split()
                      if d.split("=")[0] + "=" not in root)
    document = document.replace("<w:document", "<w:document" + missing, 1)
    document = re.sub(r"<w:sectPr>\s*(?!.*<w:sectPr>)",
                      '<w:sectPr><w:headerReference w:type="default" r:id="rIdS1"/>'
                      '<w:footerReference w:type="default" r:id="rIdS2"/>', document, count=1,
                      flags=re.S)
    parts = {"header1.xml": part("hdr", paragraph(1) + paragraph(2)),
             "footer1.xml": part("ftr", paragraph(3)),
             "footnotes.xml": part("footnotes", separators("footnote") + "".join(notes)),
             "endnotes.xml": part("endnotes", separators("endnote") + "".join(ends)),
             "comments.xml": part("comments", "".join(comments))}
    return document, parts


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with zipfile.ZipFile(sys.argv[1]) as source:
        entries = [(info, source.read(info)) for info in source.infolist()]
    with zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as target:
        added = {}
        for info, data in entries:
            if info.filename == "word/document.xml":
                text, added = with_stories(data.decode("utf-8"))
                data = text.encode("utf-8")
            elif info.filename == "word/_rels/document.xml.rels":
                rels = "".join(f'<Relationship Id="rIdS{k + 1}" Type="{REL}{kind}" '
                               f'Target="{name}"/>'
                               for k, (name, (_, kind)) in enumerate(PARTS.items()))
                data = data.replace(b"</Relationships>", rels.encode() + b"</Relationships>")
            elif info.filename == "[Content_Types].xml":
                types = "".join(f'<Override PartName="/word/{name}" '
                                f'ContentType="{CONTENT}{kind}+xml"/>'
                                for name, (_, kind) in PARTS.items())
                data = data.replace(b"</Types>", types.encode() + b"</Types>")
            target.writestr(info.filename, data, zipfile.ZIP_DEFLATED)
        for name, data in added.items():
            target.writestr("word/" + name, data.encode("utf-8"), zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    main()
