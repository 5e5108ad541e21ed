#include "capture/DocumentScripts.h"

namespace DocumentScripts {

namespace {

// What comes back, in CSS pixels of the top document (the client position plus the scroll):
//   w: Float32 records of words, [x, y, width, height, length, place], in document order; their
//      texts one after the other in t, each length long;
//   l: Float32 records of link boxes, [x, y, width, height, address, place, has target, target
//      x, target y, target place], one per box of the link (a line it runs over);
//   h: Float32 records of headings, [level, x, y, text, place, height];
//   s: the strings the records name (addresses, heading texts) by index;
//   title, address, cut (the bounds stopped the walk: what came before is whole).
// place: 2 * region + 1 when only the first tile draws it (a fixed element, hidden after); the
// region is 0 for the page, 1 for the box the capture unfolds, 2 + k for its side box k.
// Text the engine does not draw is left out, and so is text whose place the boxes cannot say
// (a transformed element, SVG); a clipped word stays only when its middle is drawn.
const char kRecord[] = R"JS(
(function(o){
  const t0 = performance.now();
  const z = window.__zelvaneFreeze || null;
  const box = o.box && z ? z.box : null;
  const sides = box ? o.sides.map(i => z.sides[i] || null) : [];
  // Tiles after the first hide fixed elements, and what is placed over side boxes from outside,
  // but not what holds a side box.
  const held = new Set();
  for (const s of (z && z.sides) || []) for (let e = s; e; e = e.parentElement) held.add(e);
  const later = z ? z.fixed : new Set();
  const T = [], L = [], H = [], S = [], strings = new Map();
  // The word records, as they are sent: grown by doubling.
  let W = new Float32Array(6 * 1024);
  let text = 0, steps = 0, cut = false, open = -1, openBlock = null;
  const late = () => {
    if ((++steps & 63) === 0 && performance.now() - t0 > o.ms) cut = true;
    return cut;
  };
  // The index of s in the string table; -1 past the bound of the text sent back.
  const str = s => {
    let i = strings.get(s);
    if (i === undefined) {
      if (text + s.length > o.text) { cut = true; return -1; }
      i = S.length;
      S.push(s);
      strings.set(s, i);
      text += s.length;
    }
    return i;
  };
  const meet = (a, b) => !a ? b : !b ? a : [Math.max(a[0], b[0]), Math.max(a[1], b[1]),
                                            Math.min(a[2], b[2]), Math.min(a[3], b[3])];
  const clear = c => !c || c === 'transparent' || /^rgba\(.*,\s*0\)$/.test(c);
  const flat = new Set(['none', 'matrix(1, 0, 0, 1, 0, 0)',
                        'matrix3d(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1)']);
  const none = v => !v || v === 'none';
  const SVG = 'http://www.w3.org/2000/svg';
  const single = 'translate' in document.documentElement.style;
  const moved = cs => !flat.has(cs.transform) || !none(cs.offsetPath) ||
      (single && (!none(cs.translate) || !none(cs.rotate) || !none(cs.scale)));
  const painted = cs => { const c = cs.contain; return c === 'strict' || c === 'content' ||
                          c.includes('paint'); };
  const boxOf = (q, f) => [q.left + f.ox, q.top + f.oy, q.right + f.ox, q.bottom + f.oy];
  const place = s => s.region * 2 + (s.fixed ? 1 : 0);
  const context = (doc, win, ox, oy, top, region, fixed, origin) => {
    const root = win.getComputedStyle(doc.documentElement);
    return {doc, win, ox, oy, top, region, fixed, origin, range: doc.createRange(),
            targets: new Map(), url: doc.URL.split('#')[0],
            rootVisible: root.overflowX === 'visible' && root.overflowY === 'visible'};
  };

  // Line boxes of a range: its client rects, those of one line joined. (Each read of a rect is
  // a call into the engine: as few as can be.)
  const lines = (rects, f) => {
    const out = [];
    for (let i = 0, n = rects.length; i < n; ++i) {
      const q = rects[i], w = q.width, h = q.height;
      if (!(w > 0 && h > 0)) continue;
      const x = q.x + f.ox, y = q.y + f.oy, b = [x, y, x + w, y + h], last = out[out.length - 1];
      if (last && Math.min(last[3], b[3]) - Math.max(last[1], b[1]) >
                      0.5 * Math.min(last[3] - last[1], b[3] - b[1])) {
        last[0] = Math.min(last[0], b[0]); last[1] = Math.min(last[1], b[1]);
        last[2] = Math.max(last[2], b[2]); last[3] = Math.max(last[3], b[3]);
      } else {
        out.push(b);
      }
    }
    return out;
  };

  // The text as drawn: cased as the style says (the first letter of a word that runs on from
  // another is no word's first).
  const shown = (word, ts, joins) =>
      ts.tt === 'uppercase' ? word.toUpperCase()
      : ts.tt === 'lowercase' ? word.toLowerCase()
      : ts.tt === 'capitalize' && !joins ? word.charAt(0).toUpperCase() + word.slice(1) : word;

  // A word's part on one line; joined to the word before when the text runs on from it without
  // white space within a block, on the same line a little way on (a word split over elements,
  // <b>He</b>llo, <code>x</code>.).
  // nfc: the text needs to be made NFC (it is not, as the page has it); ascii: it is ASCII.
  const add = (word, x0, y0, x1, y1, s, ascii, nfc, joins) => {
    const c = s.clip, cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    if (c && !(cx >= c[0] && cx < c[2] && cy >= c[1] && cy < c[3])) { open = -1; return; }
    let w = word;
    if (nfc) w = w.replace(/\u00AD/g, '').normalize('NFC');
    if (!w) return;
    const flags = s.region * 2 + (s.fixed ? 1 : 0), n = T.length;
    if (joins && open >= 0 && open === n - 1 && openBlock === s.blk && W[open * 6 + 5] === flags) {
      const i = open * 6, r = W[i] + W[i + 2], bottom = W[i + 1] + W[i + 3];
      const h = Math.min(W[i + 3], y1 - y0);
      if (x0 >= r - 1.5 && x0 - r <= 0.6 * h &&
          Math.min(bottom, y1) - Math.max(W[i + 1], y0) > 0.5 * h) {
        const joined = ascii ? T[open] + w : (T[open] + w).normalize('NFC');
        if (text + joined.length - T[open].length > o.text) { cut = true; return; }
        text += joined.length - T[open].length;
        T[open] = joined;
        const x = Math.min(W[i], x0), y = Math.min(W[i + 1], y0);
        W[i + 2] = Math.max(r, x1) - x; W[i + 3] = Math.max(bottom, y1) - y;
        W[i] = x; W[i + 1] = y; W[i + 4] = joined.length;
        return;
      }
    }
    if (n >= o.words || text + w.length > o.text) { cut = true; return; }
    if (W.length < 6 * n + 6) {
      const grown = new Float32Array(W.length * 2);
      grown.set(W);
      W = grown;
    }
    const i = 6 * n;
    W[i] = x0; W[i + 1] = y0; W[i + 2] = x1 - x0; W[i + 3] = y1 - y0; W[i + 4] = w.length;
    W[i + 5] = flags;
    T.push(w);
    text += w.length;
    open = n;
    openBlock = s.blk;
  };

  // Widths of words from a canvas, one per font (a context's font costs more to change than a
  // word to measure), each word measured once.
  const fonts = new Map();
  const measurer = font => {
    let m = fonts.get(font);
    if (m !== undefined) return m;
    m = null;
    const ctx = fonts.size < 64 && font ? document.createElement('canvas').getContext('2d') : null;
    if (ctx) {
      ctx.font = font;
      m = {ctx, widths: new Map(), space: ctx.measureText(' ').width};
    }
    fonts.set(font, m);
    return m;
  };
  const widthOf = (m, w) => {
    let v = m.widths.get(w);
    if (v === undefined) {
      v = m.ctx.measureText(w).width;
      if (m.widths.size < 100000) m.widths.set(w, v);
    }
    return v;
  };
  // Text laid out left to right without stretching: where its widths can say where each word
  // is. Its white space is kept as it is (pre) or is one space between words.
  const fitter = (s, ts) => {
    if (ts.m === undefined) {
      const cs = s.cs, ws = cs && cs.whiteSpace;
      ts.pre = ws === 'pre' || ws === 'pre-wrap' || ws === 'break-spaces';
      ts.m = cs && (ts.pre || ws === 'normal' || ws === 'nowrap') &&
             cs.textAlign !== 'justify' && cs.letterSpacing === 'normal' &&
             cs.wordSpacing === '0px' && cs.direction === 'ltr' ? measurer(cs.font) : null;
    }
    return ts.m;
  };
  // Longer texts are measured word by word, where the bound of the time is looked at.
  const kWhole = 200000;
  const rtl = /[\u0590-\u08FF\uFB1D-\uFDFF\uFE70-\uFEFF\u200F\u202B\u202E\u2067]|\uD802|\uD803/;

  // The words of a text (their texts and widths) on its line boxes, filled from the left: for
  // each word's part on a line, its text in out and x0, y0, x1, y1, word, part in nums (numbers
  // kept apart from strings are stored unboxed); false when the widths do not fill every line as
  // the engine drew it (the engine measures it then). lead: a space drawn before the first word;
  // trail: one after the last.
  let nums = new Float64Array(7 * 256);
  const fit = (texts, widths, boxes, m, lead, trail, out) => {
    const sw = m.space;
    let k = 0, cur = null, cw = 0, part = 0;
    const put = (t, x0, y0, x1, y1) => {
      const i = 7 * out.length;
      if (nums.length < i + 7) {
        const grown = new Float64Array(nums.length * 2);
        grown.set(nums);
        nums = grown;
      }
      nums[i] = x0; nums[i + 1] = y0; nums[i + 2] = x1; nums[i + 3] = y1; nums[i + 4] = k;
      nums[i + 5] = part;
      out.push(t);
    };
    for (let j = 0; j < boxes.length; ++j) {
      const L = boxes[j], width = L[2] - L[0], tol = 0.5 + width * 0.001;
      const last = j === boxes.length - 1;
      let x = j === 0 && lead ? sw : 0, first = true;
      const row = out.length;
      for (;;) {
        if (cur === null) {
          if (k >= texts.length) break;
          cur = texts[k]; cw = widths[k]; part = 0;
        }
        const gap = first ? 0 : sw;
        if (x + gap + cw <= width + tol) {
          put(cur, L[0] + x + gap, L[1], L[0] + x + gap + cw, L[3]);
          x += gap + cw; first = false; cur = null; ++k;
          continue;
        }
        if (last) return false;
        if (!first && Math.abs(x - width) <= tol) break; // the line ends before it
        // Broken inside: the longest head that fits fills the line.
        const cps = Array.from(cur);
        let lo = 0, hi = cps.length - 1;
        while (lo < hi) {
          const mid = (lo + hi + 1) >> 1;
          if (x + gap + widthOf(m, cps.slice(0, mid).join('')) <= width + tol) lo = mid;
          else hi = mid - 1;
        }
        const head = cps.slice(0, lo).join(''), hw = lo ? widthOf(m, head) : 0;
        if (!lo || Math.abs(x + gap + hw - width) > tol) return false;
        put(head, L[0] + x + gap, L[1], L[0] + x + gap + hw, L[3]);
        ++part;
        x += gap + hw;
        cur = cps.slice(lo).join('');
        cw = widthOf(m, cur);
        break;
      }
      if (out.length === row ||
          !(Math.abs(x - width) <= tol || (last && trail && Math.abs(x + sw - width) <= tol)))
        return false;
    }
    return k === texts.length && cur === null;
  };

  // Kept white space: each line of the text is a line box, its words where the widths of what
  // comes before them on it say. false where that does not account for the boxes (it wraps).
  const fitPre = (data, boxes, s, ts, m, ascii, nfc) => {
    const text = shown(data, ts, true);
    if (text.length !== data.length || text.includes('\t')) return false;
    const rows = text.split('\n'), words = [], parts = []; // parts: numbers only, unboxed
    let j = 0, at = 0;
    for (const row of rows) {
      const from = at;
      at += row.length + 1;
      if (!row) continue;
      const L = boxes[j++];
      if (!L) return false;
      const width = L[2] - L[0], tol = 0.5 + width * 0.001, all = m.ctx.measureText(row).width;
      if (Math.abs(all - width) > tol && Math.abs(widthOf(m, row.trimEnd()) - width) > tol)
        return false;
      // Word by word and white space by white space, each width measured once.
      const re = /\S+/g;
      let g, x = L[0], end = 0;
      while ((g = re.exec(row)) !== null) {
        if (g.index > end) x += widthOf(m, row.slice(end, g.index));
        const w = widthOf(m, g[0]);
        words.push(g[0]);
        parts.push(x, L[1], x + w, L[3], from + g.index);
        x += w;
        end = g.index + g[0].length;
      }
    }
    if (j !== boxes.length) return false;
    for (let j = 0, i = 0; j < words.length; ++j, i += 5) {
      const a = parts[i + 4];
      if (a > 0 && /\s/.test(data[a - 1])) open = -1;
      add(words[j], parts[i], parts[i + 1], parts[i + 2], parts[i + 3], s, ascii, nfc, a === 0);
    }
    if (/\s$/.test(data)) open = -1;
    return true;
  };

  // A block of code (pre, or code shown as a block) in one font, its parts only coloured, is
  // taken whole: its text and its lines at once, not node by node. false where it holds
  // anything else or its widths do not account for its lines; it is then walked as any other.
  const notPlain = 'a,area,iframe,frame,svg,math,img,picture,input,select,textarea,button,br,' +
      'object,embed,video,audio,canvas,h1,h2,h3,h4,h5,h6,slot,template,script,style,noscript';
  const plain = new Map();
  const codeBlock = (el, s) => {
    const ts = textStyle(s);
    if (!ts.vis || !ts.ink || ts.tt !== 'none') return false;
    const m = fitter(s, ts), cs = s.cs;
    if (!m || !ts.pre || el.querySelector(notPlain)) return false;
    // Its elements inline, drawn as it is, its white space kept: looked at once for each place
    // in the block they stand (the same classes there, the same style).
    const keys = new Map([[el, '']]);
    for (const e of el.getElementsByTagName('*')) {
      if (e.localName.includes('-')) return false;
      const key = keys.get(e.parentElement) + '>' + e.localName + '.' + e.className;
      if (key.length > 2000) return false;
      keys.set(e, key);
      let ok = plain.get(key);
      if (ok === undefined) {
        const c = s.f.win.getComputedStyle(e);
        ok = c.display === 'inline' && c.visibility === 'visible' && c.opacity === '1' &&
             c.position === 'static' && !clear(c.webkitTextFillColor) &&
             c.textTransform === 'none' && c.whiteSpace === cs.whiteSpace &&
             c.letterSpacing === 'normal' && c.wordSpacing === '0px';
        plain.set(key, ok);
      }
      if (!ok) return false;
    }
    const data = el.textContent;
    if (!data || data.length > kWhole || !/\S/.test(data)) return false;
    const r = s.f.range;
    r.selectNodeContents(el);
    const ascii = !/[^\x00-\x7f]/.test(data);
    const nfc = !ascii && (data.includes('\u00AD') || data.normalize('NFC') !== data);
    open = -1;
    if (!fitPre(data, lines(r.getClientRects(), s.f), s, ts, m, ascii, nfc)) return false;
    open = -1;
    return true;
  };

  // Words placed from their widths; false when the widths do not account for the lines.
  const fitted = (node, data, boxes, s, ts, ascii, nfc) => {
    const m = data.length <= kWhole ? fitter(s, ts) : null;
    if (!m || (!ascii && rtl.test(data))) return false;
    if (ts.pre) return fitPre(data, boxes, s, ts, m, ascii, nfc);
    const texts = [], widths = [], re = /\S+/g;
    let g;
    while ((g = re.exec(data)) !== null) {
      const t = shown(g[0], ts, g.index === 0);
      texts.push(t);
      widths.push(widthOf(m, t));
    }
    // Whether white space before the first word is drawn (or taken by what came before it) the
    // widths of the lines say, or where they cannot, the engine; after the last word, it makes
    // no difference to the words.
    const first = /^\s*/.exec(data)[0].length, trail = /\s$/.test(data);
    let lead = false;
    if (first > 0) {
      const without = fit(texts, widths, boxes, m, false, trail, []);
      lead = fit(texts, widths, boxes, m, true, trail, []);
      if (without && lead) {
        const r = s.f.range;
        r.setEnd(node, first + texts[0].length); r.setStart(node, first);
        const q = r.getClientRects()[0];
        lead = !!q && q.x + s.f.ox - boxes[0][0] > m.space / 2;
      }
    }
    const out = [];
    if (!fit(texts, widths, boxes, m, lead, trail, out)) return false;
    if (first > 0) open = -1;
    for (let j = 0, i = 0; j < out.length; ++j, i += 7) {
      const head = nums[i + 4] === 0 && nums[i + 5] === 0;
      if (!head) open = -1;
      add(out[j], nums[i], nums[i + 1], nums[i + 2], nums[i + 3], s, ascii, nfc,
          head && first === 0);
    }
    if (trail) open = -1;
    return true;
  };

  // A word broken over lines, measured by the engine: one part per line, each character to the
  // line it is drawn on.
  const split = (node, a, b, boxes, s, ts, ascii, nfc) => {
    const data = node.data, r = s.f.range, parts = boxes.map(() => '');
    let k = 0;
    for (let i = a; i < b && !late();) {
      const n = data.codePointAt(i) > 0xFFFF ? 2 : 1;
      r.setStart(node, i); r.setEnd(node, i + n);
      const q = r.getClientRects()[0];
      if (q) {
        const y = (q.top + q.bottom) / 2 + s.f.oy;
        const found = boxes.findIndex(l => y >= l[1] && y <= l[3]);
        if (found >= 0) k = found;
      }
      parts[k] += data.substr(i, n);
      i += n;
    }
    boxes.forEach((l, i) => {
      if (parts[i])
        add(shown(parts[i], ts, i === 0 && a === 0), l[0], l[1], l[2], l[3], s, ascii, nfc,
            i === 0 && a === 0);
    });
  };

  // Each word measured by the engine, where its widths cannot say.
  const measured = (node, data, s, ts, ascii, nfc) => {
    const r = s.f.range, re = /\S+/g;
    let g;
    while ((g = re.exec(data)) !== null && !late()) {
      const a = g.index, b = a + g[0].length;
      if (a > 0) open = -1;
      r.setEnd(node, b); r.setStart(node, a);
      const boxes = lines(r.getClientRects(), s.f), l = boxes[0];
      if (boxes.length === 1)
        add(shown(g[0], ts, a === 0), l[0], l[1], l[2], l[3], s, ascii, nfc, a === 0);
      else if (boxes.length > 1) split(node, a, b, boxes, s, ts, ascii, nfc);
      else open = -1;
      if (b < data.length) open = -1;
    }
  };

  const words = (node, s) => {
    const data = node.data;
    if (!data) return;
    // White space between elements parts their words, drawn or not.
    if (!/\S/.test(data)) { open = -1; return; }
    const ts = textStyle(s);
    if (!ts.vis || !ts.ink) return;
    // The text as a whole first: its lines, and whether any of it is drawn at all.
    const r = s.f.range;
    r.setStart(node, 0); r.setEnd(node, data.length);
    const boxes = lines(r.getClientRects(), s.f), c = s.clip;
    let drawn = !c && boxes.length > 0;
    for (let i = 0; !drawn && i < boxes.length; ++i) {
      const b = boxes[i];
      drawn = b[0] < c[2] && b[2] > c[0] && b[1] < c[3] && b[3] > c[1];
    }
    if (!drawn) return;
    const ascii = !/[^\x00-\x7f]/.test(data);
    // Made NFC (and rid of soft hyphens, drawn only at a break) word by word only where the
    // page's text needs it.
    const nfc = !ascii && (ts.tt !== 'none' || data.includes('\u00AD') ||
                           data.normalize('NFC') !== data);
    const l = boxes[0];
    if (boxes.length === 1 && !/\s/.test(data))
      add(shown(data, ts, true), l[0], l[1], l[2], l[3], s, ascii, nfc, true);
    else if (!fitted(node, data, boxes, s, ts, ascii, nfc))
      measured(node, data, s, ts, ascii, nfc);
  };

  // What an element makes of the place of what it holds: null when it cannot be known (a
  // transform), else the region and whether it is fixed, -1 where it says nothing. Many
  // targets share their ancestors: each is looked at once.
  const marks = new Map();
  const mark = (e, f) => {
    let m = marks.get(e);
    if (m !== undefined) return m;
    const cs = f.win.getComputedStyle(e);
    m = moved(cs) || e.namespaceURI === SVG ? null
        : e === box ? [1, false]
        : sides.includes(e) ? [2 + sides.indexOf(e), false]
        : f.top && cs.position === 'fixed' ? [0, !held.has(e)] : [-1, false];
    marks.set(e, m);
    return m;
  };
  // Where the element a link points to is drawn: [x, y, place], or null.
  const where = (t, f) => {
    if (!t.getClientRects().length) return null;
    let region = -1, fixed = false;
    for (let e = t; e; e = e.parentElement || (e.parentNode && e.parentNode.host) || null) {
      if (e.nodeType !== 1) continue;
      const m = mark(e, f);
      if (!m) return null;
      if (region < 0 && m[0] >= 0) { region = m[0]; fixed = m[1]; }
    }
    const q = t.getBoundingClientRect();
    return [q.left + f.ox, q.top + f.oy,
            (region < 0 ? f.region : region) * 2 + (fixed || f.fixed ? 1 : 0)];
  };
  // A link to a place of its own document (#name): the element of that id, else the first
  // <a> of that name; the document's top for # and #top.
  const target = (href, f) => {
    const hash = href.indexOf('#');
    if (hash < 0 || href.slice(0, hash) !== f.url) return null;
    const frag = href.slice(hash + 1);
    if (f.targets.has(frag)) return f.targets.get(frag);
    let name = frag;
    try { name = decodeURIComponent(frag); } catch (e) {}
    let t = null;
    for (const n of name === frag ? [frag] : [name, frag]) {
      if (!n) continue;
      t = f.doc.getElementById(n);
      if (!t) for (const a of f.doc.getElementsByName(n)) if (a.localName === 'a') { t = a; break; }
      if (t) break;
    }
    const at = t ? where(t, f)
                 : !name || name.toLowerCase() === 'top'
                     ? [f.origin[0], f.origin[1], f.region * 2 + (f.fixed ? 1 : 0)] : null;
    f.targets.set(frag, at);
    return at;
  };
  const link = (el, s, cs) => {
    if (L.length >= o.links * 10 || cs.visibility !== 'visible') return;
    const href = el.href;
    if (typeof href !== 'string' || !href || href.length > o.address ||
        /^javascript:/i.test(href))
      return;
    const f = s.f, t = target(href, f);
    for (const q of el.getClientRects()) {
      if (!(q.width > 0 && q.height > 0)) continue;
      const b = meet(boxOf(q, f), s.base), i = b[2] > b[0] && b[3] > b[1] ? str(href) : -1;
      if (i < 0) continue;
      L.push(b[0], b[1], b[2] - b[0], b[3] - b[1], i, place(s), t ? 1 : 0, t ? t[0] : 0,
             t ? t[1] : 0, t ? t[2] : 0);
    }
  };
  const heading = (el, s, cs, level) => {
    if (H.length >= o.headings * 6 || cs.visibility !== 'visible') return;
    const q = el.getBoundingClientRect();
    if (!(q.width > 0 && q.height > 0)) return;
    const b = meet(boxOf(q, s.f), s.base);
    if (b[2] <= b[0] || b[3] <= b[1]) return;
    let t = el.innerText.replace(/\s+/g, ' ').trim().normalize('NFC');
    if (t.length > o.heading) t = t.slice(0, /[\uD800-\uDBFF]/.test(t[o.heading - 1]) ?
                                             o.heading - 1 : o.heading);
    const i = t ? str(t) : -1;
    if (i >= 0) H.push(level, q.left + s.f.ox, q.top + s.f.oy, i, place(s), q.height);
  };
  // A frame's document, drawn inside its content box where the frame is.
  const frame = (el, s) => {
    let d = null;
    try { d = el.contentDocument; } catch (e) {}
    if (!d || !d.documentElement || !d.defaultView) return null;
    const q = el.getBoundingClientRect(), f = s.f, cs = s.cs, px = v => parseFloat(v) || 0;
    const x = q.left + el.clientLeft + px(cs.paddingLeft) + f.ox;
    const y = q.top + el.clientTop + px(cs.paddingTop) + f.oy;
    const clip = meet(s.base, [x, y, x + el.clientWidth - px(cs.paddingLeft) - px(cs.paddingRight),
                             y + el.clientHeight - px(cs.paddingTop) - px(cs.paddingBottom)]);
    const win = d.defaultView;
    const g = context(d, win, x, y, false, s.region, s.fixed, [x - win.scrollX, y - win.scrollY]);
    const inner = {f: g, p: null, cs: null, base: clip, clip, abs: clip, fix: clip,
                   region: s.region, absRegion: s.region, fixed: s.fixed, ts: null, blk: null};
    inner.blk = inner;
    return inner;
  };

  // Inherited, read only for what holds text: whether its text is drawn, and how it is cased.
  const textStyle = s => {
    if (s.ts) return s.ts;
    const cs = s.cs;
    if (!cs) return s.ts = {vis: true, ink: true, tt: 'none', m: null};
    let ink = !clear(cs.webkitTextFillColor);
    if (!ink) ink = parseFloat(cs.webkitTextStrokeWidth) > 0 && !clear(cs.webkitTextStrokeColor);
    // Transparent text can be painted through by a background clipped to it (looked for a
    // little way up).
    for (let a = s, up = 0; !ink && a && a.cs && up < 32; a = a.p, ++up)
      ink = a.cs.webkitBackgroundClip === 'text' || a.cs.backgroundClip === 'text';
    return s.ts = {vis: cs.visibility === 'visible', ink, tt: cs.textTransform, m: undefined};
  };

  // The state of a block-level element, or null when nothing of it is recorded: what clips
  // it and its content, where the image shows it.
  const block = (el, p, cs) => {
    const f = p.f;
    if (moved(cs) || !none(cs.clipPath) || cs.contentVisibility === 'hidden') return null;
    const pos = cs.position;
    if ((pos === 'absolute' || pos === 'fixed') && cs.clip !== 'auto') return null;
    const base = pos === 'fixed' ? p.fix : pos === 'absolute' ? p.abs : p.clip;
    let clip = base, region = pos === 'fixed' ? f.region : pos === 'absolute' ? p.absRegion
                                                                                : p.region;
    let fixed = pos === 'fixed' ? f.fixed : p.fixed;
    if (f.top && (pos === 'fixed' || later.has(el)) && !held.has(el)) fixed = true;
    const paint = painted(cs);
    if (el === box || sides.includes(el)) {
      // Unfolded: its whole content, where the image shows it.
      const q = el.getBoundingClientRect();
      const x = q.left + el.clientLeft + f.ox, y = q.top + el.clientTop + f.oy;
      clip = [x, y, x + el.scrollWidth, y + el.scrollHeight];
      region = el === box ? 1 : 2 + sides.indexOf(el);
    } else if (el !== f.doc.documentElement && !(el === f.doc.body && f.rootVisible)) {
      const overflow = cs.overflow;
      if (paint || overflow !== 'visible') {
        const cx = paint || cs.overflowX !== 'visible', cy = paint || cs.overflowY !== 'visible';
        const q = el.getBoundingClientRect();
        const x = q.left + el.clientLeft + f.ox, y = q.top + el.clientTop + f.oy;
        const w = el.clientWidth, h = el.clientHeight;
        clip = meet(clip, [cx ? x : -Infinity, cy ? y : -Infinity, cx ? x + w : Infinity,
                           cy ? y + h : Infinity]);
      }
    }
    const positioned = pos !== 'static';
    const s = {f, p, cs, base, clip, region, fixed, ts: null, blk: null,
               abs: positioned ? clip : p.abs, absRegion: positioned ? region : p.absRegion,
               fix: paint || !none(cs.filter) ? clip : p.fix};
    // Inline blocks are no break in the text (its innerText runs on through them).
    s.blk = cs.display.startsWith('inline') ? p.blk : s;
    return s;
  };

  // The state an element gives what it holds, or null when nothing of it is recorded.
  const enter = (el, p) => {
    const cs = p.f.win.getComputedStyle(el), display = cs.display;
    if (display === 'none' || cs.opacity === '0' || el.localName === 'svg') return null;
    // Transforms, overflow, containment and absolute placing do not apply to inline boxes.
    const s = display === 'inline' || display === 'contents'
        ? {f: p.f, p, cs, base: p.clip, clip: p.clip, region: p.region, fixed: p.fixed, ts: null,
           blk: p.blk, abs: p.abs, absRegion: p.absRegion, fix: p.fix}
        : block(el, p, cs);
    if (!s) return null;
    if (display === 'inline' && cs.position !== 'static') {
      s.abs = s.clip;
      s.absRegion = s.region;
    }
    const tag = el.localName;
    if (tag === 'a' && el.hasAttribute('href')) link(el, s, cs);
    else if (tag.length === 2 && tag[0] === 'h' && tag[1] >= '1' && tag[1] <= '6')
      heading(el, s, cs, +tag[1]);
    return s;
  };

  const top = context(document, window, window.scrollX, window.scrollY, true, 0, false, [0, 0]);
  const root = {f: top, p: null, cs: null, base: null, clip: null, abs: null, fix: null,
                region: 0, absRegion: 0, fixed: false, ts: null, blk: null};
  root.blk = root;
  const stack = [document.documentElement, root];
  while (stack.length && !late()) {
    const p = stack.pop(), n = stack.pop();
    if (!n) continue;
    if (n.nodeType === 3) { words(n, p); continue; }
    if (n.nodeType !== 1) continue;
    const s = enter(n, p);
    if (!s) continue;
    const tag = n.localName;
    if (tag === 'iframe' || tag === 'frame') {
      const inner = frame(n, s);
      if (inner) stack.push(inner.f.doc.documentElement, inner);
      continue;
    }
    if ((tag === 'pre' || (tag === 'code' && s.cs.display === 'block' && s.blk === s)) &&
        codeBlock(n, s))
      continue;
    // The tree as drawn: a shadow root's, what a slot shows.
    const shadow = n.shadowRoot;
    const slotted = !shadow && tag === 'slot' && n.assignedNodes ? n.assignedNodes() : null;
    if (slotted && slotted.length) {
      for (let i = slotted.length - 1; i >= 0; --i) stack.push(slotted[i], s);
    } else {
      for (let c = (shadow || n).lastChild; c; c = c.previousSibling) stack.push(c, s);
    }
  }
  return {v: 1, cut, title: String(document.title || ''), address: String(location.href),
          w: W.buffer.slice(0, T.length * 24), t: T.join(''), l: new Float32Array(L).buffer,
          h: new Float32Array(H).buffer, s: S};
})(%1)
)JS";

} // namespace

QString RecordLayer(const QString& options) {
    return QString::fromUtf8(kRecord).arg(options);
}

} // namespace DocumentScripts
