# The manual as Python's html.parser reads it: the tags nest and close, the page says it is UTF-8
# and is UTF-8, there is one style block. Prints OK or the faults. Run by manual_test.cpp.
import sys
from html.parser import HTMLParser
VOID = {"meta", "br", "hr", "img", "input", "link", "wbr", "col", "area", "base"}
# Elements whose end tag HTML lets the parser infer; the manual closes them anyway.
class Check(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=False)
        self.stack, self.errors, self.styles, self.charset = [], [], 0, False
    def handle_starttag(self, tag, attrs):
        if tag == "style": self.styles += 1
        if tag == "meta" and ("charset", "utf-8") in attrs: self.charset = True
        if tag not in VOID: self.stack.append((tag, self.getpos()))
    def handle_endtag(self, tag):
        if tag in VOID: return
        if not self.stack or self.stack[-1][0] != tag:
            self.errors.append("line %d: </%s> closes %s" % (self.getpos()[0], tag,
                               self.stack[-1] if self.stack else "nothing"))
            return
        self.stack.pop()
    def handle_entityref(self, name):
        if name not in ("amp", "lt", "gt", "quot", "nbsp"):
            self.errors.append("line %d: unknown entity &%s;" % (self.getpos()[0], name))
text = open(sys.argv[1], encoding="utf-8", errors="strict").read()
c = Check()
c.feed(text)
c.close()
for tag, pos in c.stack: c.errors.append("line %d: <%s> never closed" % (pos[0], tag))
if not c.charset: c.errors.append("no <meta charset=\"utf-8\">")
if c.styles != 1: c.errors.append("%d style blocks" % c.styles)
print("\n".join(c.errors) if c.errors else "OK")
