"""page_check.py strict|dom PAGE JSON: korvex-expansion's HTML page read against its JSON.

strict: the page as written, every html5lib parse error a fault; dom: the DOM a browser made
of it (its script run). Every data-key number equals the JSON's there and is shown rounded,
its minus sign U+2212; every coefficient (in pressure mode every straight-line K and the equations of state) shown;
three figures with a picture or more; nothing reaches outside.
Prints the count of numbers checked; exits 1 with the first fault.
"""
import json
import re
import sys

import html5lib


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def value_at(data, key):
    for part in key.split("."):
        data = data[int(part)] if isinstance(data, list) else data[part]
    return data


def check_numbers(doc, data):
    seen = set()
    for el in doc.iter():
        key = el.get("data-key")
        if key is None:
            continue
        want, got = value_at(data, key), float(el.get("data-value"))
        if got != want:
            fail("%s: page %r, JSON %r" % (key, got, want))
        text = "".join(el.itertext())
        if re.search(r"-[\d.]", text):
            fail("%s: shows %r, a hyphen-minus for the minus sign U+2212" % (key, text))
        text = text.replace("\u2212", "-")
        shown = re.match(r"-?\d+(\.\d+)?(e[-+]?\d+)?", text, re.I)
        decimals = len(shown.group(1) or ".") - 1 if shown else 0
        if shown and shown.group(2):
            decimals -= int(shown.group(2)[1:])
        if not shown or abs(float(shown.group(0)) - want) > 0.5 * 10**-decimals * (1 + 1e-9) \
                and not re.fullmatch(r"-?\d+\(\d+\)", text):
            fail("%s: shows %r for %r" % (key, text, want))
        seen.add(key)
    if data.get("mode") == "pressure":
        wanted = ["axes.%d.linear.K" % k for k in range(3)] + ["volume.K", "eos.bm3.B0", "eos.bm3_pc.pc",
                                                                      "eos.vinet.B0"]
    else:
        wanted = ["axes.%d.alpha" % k for k in range(3)] + ["volume.alpha"]
    missing = [key for key in wanted if key not in seen]
    if missing:
        fail("not shown: " + ", ".join(missing))
    return len(seen)


def check_self_contained(doc, text):
    for el in doc.iter():
        tag = el.tag if isinstance(el.tag, str) else ""
        if tag.endswith("link") or tag.endswith("iframe") or tag.endswith("object"):
            fail("a <%s> element" % tag)
        for name, value in el.attrib.items():
            if name.split("}")[-1] in ("src", "href", "action", "data", "poster", "srcset"):
                if not value.startswith("#"):
                    fail("%s=%r" % (name, value))
    for rule in re.findall(r"@import|url\(\s*['\"]?[^#'\")\s]", text):
        fail("style reaches out: " + rule)


def main():
    mode, page, json_file = sys.argv[1:4]
    with open(page, encoding="utf-8") as f:
        text = f.read()
    parser = html5lib.HTMLParser(strict=mode == "strict", namespaceHTMLElements=False)
    try:
        doc = parser.parse(text)
    except html5lib.html5parser.ParseError as e:
        fail("not HTML5: %s" % e)
    with open(json_file, encoding="utf-8") as f:
        data = json.load(f)
    checked = check_numbers(doc, data)
    figures = [f for f in doc.iter("figure") if any(str(e.tag).endswith("svg") for e in f.iter())]
    if len(figures) < 3:
        fail("%d figures with a picture" % len(figures))
    check_self_contained(doc, text)
    if mode == "dom" and not all(th.get("tabindex") == "0" for th in doc.find(".//table[@id='cells']").iter("th")):
        fail("the page's script did not run")
    print(checked)


main()
