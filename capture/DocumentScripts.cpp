#include "capture/DocumentScripts.h"

namespace DocumentScripts {

namespace {

// The document of the top window (frame < 0) or of one of its frames; null when unreadable.
QString DocumentOf(int frame) {
    return QStringLiteral("(function(f){try{var d=f<0?document:window.frames[f].document;"
                          "return d||null;}catch(e){return null;}})(%1)")
        .arg(frame);
}

// Style changes of the capture, undone from the saved style attributes; the box that scrolls
// in place of the document, if any; the frame marker.
const char kFreezeState[] = R"JS(
window.__zelvaneFreeze = window.__zelvaneFreeze || {
  saved: new Map(),
  fixed: new Set(),
  hidden: new Set(),
  box: null,
  boxScroll: [0, 0],
  sides: [],
  scrolled: [],
  marker: null,
  ours: new Map(),
  keep(el) { if (!this.saved.has(el)) this.saved.set(el, el.getAttribute('style')); },
  set(el, name, value) {
    this.keep(el);
    el.style.setProperty(name, value, 'important');
    if (!this.ours.has(el)) this.ours.set(el, new Map());
    this.ours.get(el).set(name, el.style.getPropertyValue(name));
  },
  // A page script that writes an element's style (on a resize, say) takes back what the
  // capture set: it is set again.
  reassert() {
    for (const [el, names] of this.ours)
      for (const [name, value] of names)
        if (el.style.getPropertyValue(name) !== value ||
            el.style.getPropertyPriority(name) !== 'important')
          el.style.setProperty(name, value, 'important');
  },
  // all: at the end, in the user's own layout, at the very same positions. While the capture
  // has the scroll bars hidden, content may wrap otherwise: what was at an element's top stays
  // there.
  putBack(all) {
    for (const [el, x, y, anchor, offset] of this.scrolled) {
      if (!all && (el === this.box || this.sides.includes(el))) continue;
      if (el.scrollLeft !== x || el.scrollTop !== y)
        el.scrollTo({left: x, top: y, behavior: 'instant'});
      if (all || !anchor || !anchor.isConnected) continue;
      const moved = anchor.getBoundingClientRect().top - el.getBoundingClientRect().top -
          el.clientTop - offset;
      if (Math.abs(moved) >= 1)
        el.scrollTo({left: x, top: el.scrollTop + moved, behavior: 'instant'});
    }
  },

  scrollTo(x, y) {
    (this.box || window).scrollTo({left: x, top: y, behavior: 'instant'});
    return this.box ? [this.box.scrollLeft, this.box.scrollTop] : [window.scrollX, window.scrollY];
  },
  mark(x, y, a, b) {
    const imp = ' !important;';
    if (!this.marker) {
      this.marker = document.createElement('div');
      this.marker.appendChild(document.createElement('div'));
      this.marker.appendChild(document.createElement('div'));
      document.documentElement.appendChild(this.marker);
    }
    this.marker.style.cssText = 'all:initial' + imp + 'position:fixed' + imp + 'display:block' +
        imp + 'left:' + x + 'px' + imp + 'top:' + y + 'px' + imp + 'width:2px' + imp +
        'height:2px' + imp + 'z-index:2147483647' + imp + 'pointer-events:none' + imp;
    [a, b].forEach((c, i) => {
      this.marker.children[i].style.cssText = 'all:initial' + imp + 'display:block' + imp +
          'width:2px' + imp + 'height:1px' + imp + 'background:' + c + imp;
    });
  }
};
)JS";

} // namespace

QString AsyncCall(const QString& body, const QString& tag, quint64 id) {
    return QStringLiteral("(async()=>{%1})().then("
                          "v=>console.debug('%2%3:1:'+JSON.stringify(v===undefined?null:v)),"
                          "e=>console.debug('%2%3:0:'+JSON.stringify(String(e))));0")
        .arg(body, tag, QString::number(id));
}

QString MeasureBody(int frame) {
    // What the window scrolls over, as far as it can be scrolled: a body pulled up by a
    // negative margin reports more rows than exist, and content positioned or transformed
    // beyond the body counts only here.
    return QStringLiteral("(function(d){if(!d||!d.body||d.body.tagName!=='BODY')return null;"
                          "var s=d.scrollingElement||d.documentElement;"
                          "return [s.scrollWidth,s.scrollHeight];})(%1)")
        .arg(DocumentOf(frame));
}

QString SetScroll(int frame, bool yes) {
    return QStringLiteral("(function(d,yes){if(!d)return false;"
                          "var s=d.getElementById('__zelvane_noscroll');"
                          "if(yes){if(s){s.remove();"
                          // Scroll bars dropped while hidden are only found again by a fresh layout
                          // of the root's overflow.
                          "var r=d.documentElement,st=r.getAttribute('style');"
                          "r.style.setProperty('overflow','hidden','important');void r.offsetWidth;"
                          "if(st===null)r.removeAttribute('style');else r.setAttribute('style',st);"
                          "void r.offsetWidth;}return true;}"
                          "if(!s){s=d.createElement('style');s.id='__zelvane_noscroll';"
                          "s.textContent='::-webkit-scrollbar{width:0!important;height:0!important;"
                          "display:none!important}';(d.head||d.documentElement).appendChild(s);}"
                          "return true;})(%1,%2)")
        .arg(DocumentOf(frame), yes ? QStringLiteral("true") : QStringLiteral("false"));
}

QString HidePage(bool hide) {
    // Hidden elements lose the focus, so the field the user was typing in gets it back.
    static const char body[] = R"JS(
(function(hide){
  let h = window.__zelvaneHidden;
  if (hide && !h) {
    const style = document.createElement('style');
    style.textContent = 'html, html * { visibility: hidden !important; }';
    h = window.__zelvaneHidden = {style, focused: document.activeElement};
    (document.head || document.documentElement).appendChild(style);
  } else if (!hide && h) {
    h.style.remove();
    delete window.__zelvaneHidden;
    if (h.focused && h.focused !== document.body && document.activeElement !== h.focused)
      h.focused.focus({preventScroll: true});
  }
  return true;
})(%1)
)JS";
    return QString::fromUtf8(body).arg(hide ? QStringLiteral("true") : QStringLiteral("false"));
}

QString HideCaret(bool hide) {
    // A style sheet of our own, so that the focus and the selection stay as they are.
    return QStringLiteral("(function(hide){var s=document.getElementById('__zelvane_nocaret');"
                          "if(!hide){if(s)s.remove();return true;}"
                          "if(!s){s=document.createElement('style');s.id='__zelvane_nocaret';"
                          "s.textContent='*,*::before,*::after{caret-color:transparent!important}';"
                          "(document.head||document.documentElement).appendChild(s);}"
                          "return true;})(%1)")
        .arg(hide ? QStringLiteral("true") : QStringLiteral("false"));
}

QString WatchScrollUsers() {
    // Proxies keep the wrapped functions looking native to the page. While the capture holds
    // them (HoldScrollWatchers), the page's scroll handlers and intersection observers do not
    // see it scroll: a layout that follows the scroll position stays as it is at the top.
    static const char body[] = R"JS(
(() => {
  let told = false, held = false;
  const tell = () => {
    if (told) return;
    told = true;
    document.dispatchEvent(new Event('__zelvane_scroll_user'));
  };
  const wrap = (fn, before) => new Proxy(fn, {
    apply(target, self, args) { before(self, args); return Reflect.apply(target, self, args); }
  });
  // First of all the window's listeners, so before every one of the page's.
  const stop = e => { if (held) e.stopImmediatePropagation(); };
  for (const type of ['scroll', 'scrollend']) window.addEventListener(type, stop, true);
  document.addEventListener('__zelvane_release_scroll', () => { held = false; });
  // A bare addEventListener(...) call has no this: it is the window's.
  const scrolled = self => self == null || self === window || self === document ||
      self instanceof HTMLBodyElement || self instanceof HTMLFrameSetElement;
  const isScroll = type => type === 'scroll' || type === 'scrollend';
  const observed = new Map(), reports = new WeakMap(), missed = new Set();
  if (window.IntersectionObserver) {
    const Observer = IntersectionObserver, p = Observer.prototype;
    const targets = o => observed.get(o) || observed.set(o, new Set()).get(o);
    const observe = p.observe, unobserve = p.unobserve, takeRecords = p.takeRecords;
    p.observe = wrap(observe, (self, args) => { tell(); if (args[0]) targets(self).add(args[0]); });
    p.unobserve = wrap(unobserve, (self, args) => {
      const t = targets(self);
      t.delete(args[0]);
      if (!t.size) observed.delete(self);
    });
    p.disconnect = wrap(p.disconnect, self => { observed.delete(self); });
    window.IntersectionObserver = new Proxy(Observer, {
      construct(target, args, newTarget) {
        const report = args[0];
        if (typeof report === 'function') {
          args = Array.from(args);
          args[0] = function(entries, o) {
            if (held) { missed.add(o); return undefined; }
            return Reflect.apply(report, this, [entries, o]);
          };
        }
        const o = Reflect.construct(target, args, newTarget);
        if (typeof report === 'function') reports.set(o, report);
        return o;
      }
    });
    // The page is told what its observers saw up to the hold at once, not when their reports
    // would come, after it.
    document.addEventListener('__zelvane_hold_scroll', () => {
      for (const o of Array.from(observed.keys())) {
        const entries = Reflect.apply(takeRecords, o, []);
        try {
          if (entries.length && reports.has(o)) Reflect.apply(reports.get(o), o, [entries, o]);
        } catch (e) {
          setTimeout(() => { throw e; });
        }
      }
    });
    // What an observer missed, it is told afresh: observed again, its targets report where
    // they stand now.
    document.addEventListener('__zelvane_release_scroll', () => {
      for (const o of missed)
        for (const t of Array.from(observed.get(o) || [])) {
          Reflect.apply(unobserve, o, [t]);
          Reflect.apply(observe, o, [t]);
        }
      missed.clear();
    });
  }
  document.addEventListener('__zelvane_hold_scroll', () => { held = true; });
  const et = EventTarget.prototype;
  et.addEventListener = wrap(et.addEventListener, (self, args) => {
    if (isScroll(args[0]) && scrolled(self)) tell();
  });
  const watch = (object, name) => {
    for (let o = object; o; o = Object.getPrototypeOf(o)) {
      const d = Object.getOwnPropertyDescriptor(o, name);
      if (!d) continue;
      if (d.configurable && d.set) {
        d.set = wrap(d.set, (self, args) => { if (args[0] && scrolled(self)) tell(); });
        Object.defineProperty(o, name, d);
      }
      return;
    }
  };
  for (const name of ['onscroll', 'onscrollend'])
    for (const object of [window, document, HTMLBodyElement.prototype]) watch(object, name);
})();
)JS";
    return QString::fromUtf8(body);
}

QString ListenForScrollUsers() {
    return QStringLiteral("window.__zelvaneScrollUsers={seen:false};"
                          "document.addEventListener('__zelvane_scroll_user',"
                          "()=>{window.__zelvaneScrollUsers.seen=true;},true);");
}

QString BringInLazyContent(int waitMs) {
    static const char body[] = R"JS(
const frame = () => new Promise(r => requestAnimationFrame(() => r()));
const height = () => Math.max(document.documentElement.scrollHeight,
                              document.body ? document.body.scrollHeight : 0);
for (const el of document.querySelectorAll('img[loading="lazy"],iframe[loading="lazy"]'))
  el.loading = 'eager';
// Only scripts that watch the scrolling, frames and content drawn on approach load anything on
// the way; where none can be (or it is not known), the walk is needed.
const users = window.__zelvaneScrollUsers, z = window.__zelvaneFreeze;
const walk = !users || users.seen || !z || z.drawnOnApproach || window.frames.length > 0 ||
    document.querySelector('body[onscroll],frameset[onscroll]') !== null;
if (walk) {
  const step = Math.max(100, window.innerHeight);
  // Nothing is painted on the way (the page is hidden, by the capture before it was made tall,
  // or here): the walk only has to pass every place once.
  %2;
  // Pages that load more on reaching the end would never end: the walk is bounded.
  const limit = Math.min(height() * 2, 400000);
  for (let y = 0; y < height() && y < limit; y += step) {
    window.scrollTo({top: y, left: 0, behavior: 'instant'});
    await frame();
  }
  %3;
  window.scrollTo({top: 0, left: 0, behavior: 'instant'});
  await frame();
  await frame();
}
const pending = Array.from(document.images).filter(i => !i.complete);
if (pending.length) {
  const loaded = pending.map(i => new Promise(r => {
    i.addEventListener('load', r, {once: true});
    i.addEventListener('error', r, {once: true});
  }));
  await Promise.race([Promise.all(loaded), new Promise(r => setTimeout(r, %1))]);
  await frame();
}
return walk;
)JS";
    return QString::fromUtf8(body).arg(QString::number(waitMs), HidePage(true), HidePage(false));
}

QString WaitForViewport(int width, int height) {
    return QStringLiteral("for(let i=0;i<120;++i){"
                          "if(window.innerWidth===%1&&window.innerHeight===%2){"
                          "await new Promise(r=>requestAnimationFrame(()=>r()));return true;}"
                          "await new Promise(r=>requestAnimationFrame(()=>r()));}return false;")
        .arg(width)
        .arg(height);
}

QString FreezeLayout() {
    static const char body[] = R"JS(
(function(){
  const z = window.__zelvaneFreeze;
  window.scrollTo({top: 0, left: 0, behavior: 'instant'});
  const sticky = [];
  for (const el of document.querySelectorAll('*')) {
    const style = getComputedStyle(el), p = style.position;
    // Skipped until near the view: it may take another size when drawn.
    if (style.contentVisibility === 'auto') z.drawnOnApproach = true;
    if (p === 'fixed') z.fixed.add(el);
    else if (p === 'sticky' || p === '-webkit-sticky') sticky.push(el);
  }
  // A sticky element keeps the place it has at the top, in the flow, as a relative one.
  for (const el of sticky) {
    const before = el.getBoundingClientRect();
    z.set(el, 'position', 'relative');
    z.set(el, 'top', '0px'); z.set(el, 'left', '0px');
    z.set(el, 'bottom', 'auto'); z.set(el, 'right', 'auto');
    const after = el.getBoundingClientRect();
    z.set(el, 'top', (before.top - after.top) + 'px');
    z.set(el, 'left', (before.left - after.left) + 'px');
  }
  return true;
})()
)JS";
    return QString::fromUtf8(kFreezeState) + QString::fromUtf8(body);
}

QString ScrollTile(int x, int y) {
    // Elements that turn fixed on scrolling (script-driven headers) are hidden as well. Looking
    // at every element's style costs more than the tile on a long page: the page is looked at
    // again only when something in it changed since, other than what the capture changes.
    static const char body[] = R"JS(
const z = window.__zelvaneFreeze;
if (!z.observer) {
  z.changed = true;
  const ours = r => r.type === 'attributes' && r.attributeName === 'style' &&
      (z.hidden.has(r.target) || (z.marker && z.marker.contains(r.target)));
  z.observer = new MutationObserver(records => {
    if (records.some(r => !ours(r))) z.changed = true;
  });
  z.observer.observe(document, {subtree: true, childList: true, attributes: true,
                                characterData: true});
}
const at = z.scrollTo(%1, %2);
const sides = z.sides.map(s => {
  s.scrollTo({left: s.scrollLeft, top: %2, behavior: 'instant'});
  return s.scrollTop;
});
if (z.changed) z.reassert();
if ((at[0] > 0 || at[1] > 0) && z.changed) {
  z.changed = false;
  for (const el of document.querySelectorAll('*'))
    if (!z.fixed.has(el) && getComputedStyle(el).position === 'fixed') z.fixed.add(el);
  for (const el of z.fixed) {
    if (z.hidden.has(el) || el === z.marker || (z.marker && z.marker.contains(el)) ||
        z.sides.some(s => el.contains(s)))
      continue;
    z.hidden.add(el);
    z.set(el, 'opacity', '0');
    z.set(el, 'transition', 'none');
    z.set(el, 'animation', 'none');
  }
}
return at.concat(sides);
)JS";
    return QString::fromUtf8(body).arg(x).arg(y);
}

QString ShowMarker(QPoint at, const QString& top, const QString& bottom) {
    return QStringLiteral("window.__zelvaneFreeze.mark(%1,%2,'%3','%4');true")
        .arg(at.x())
        .arg(at.y())
        .arg(top, bottom);
}

QString WaitFrames(int frames) {
    return QStringLiteral(
               "for(let i=0;i<%1;++i)await new Promise(r=>requestAnimationFrame(()=>r()));"
               "return true;")
        .arg(frames);
}

QString KeepScrolledBoxes() {
    static const char body[] = R"JS(
(function(){
  const z = window.__zelvaneFreeze, root = document.scrollingElement;
  // The first of its elements (within a bound) that starts in its visible part.
  const anchor = el => {
    const top = el.getBoundingClientRect().top + el.clientTop;
    let n = 0;
    for (const c of el.querySelectorAll('*')) {
      if (++n > 2000) break;
      const r = c.getBoundingClientRect();
      if (r.height > 0 && r.top >= top) return [c, r.top - top];
    }
    return [null, 0];
  };
  z.scrolled = [];
  for (const el of document.querySelectorAll('*'))
    if (el !== root && (el.scrollTop !== 0 || el.scrollLeft !== 0))
      z.scrolled.push([el, el.scrollLeft, el.scrollTop, ...anchor(el)]);
  return z.scrolled.length;
})()
)JS";
    // A capture starts afresh, whatever an earlier one left.
    return QStringLiteral("delete window.__zelvaneFreeze;") + QString::fromUtf8(kFreezeState) +
           QString::fromUtf8(body);
}

QString PutBackScrolledBoxes() {
    return QStringLiteral("window.__zelvaneFreeze&&window.__zelvaneFreeze.putBack(false);true");
}

QString HoldScrollWatchers() {
    static const char body[] = R"JS(
(function(){
  const z = window.__zelvaneFreeze;
  if (!z) return false;
  z.putBack(false);
  z.reassert();
  z.heldAt = [window.scrollX, window.scrollY];
  document.dispatchEvent(new Event('__zelvane_hold_scroll'));
  // What the page changed on its way to the top is drawn finished, not half-way.
  for (const a of document.getAnimations())
    if (a.transitionProperty !== undefined && a.playState === 'running') a.finish();
  return true;
})()
)JS";
    return QString::fromUtf8(body);
}

QString SettleRestoredPlace() {
    static const char body[] = R"JS(
const r = window.__zelvaneRestored;
delete window.__zelvaneRestored;
if (!r) return true;
for (let i = 0; i < 2; ++i) await new Promise(f => requestAnimationFrame(() => f()));
// The page's own answer to the return (a header collapsing again above the place) moves it.
if (window.scrollX !== r.x || window.scrollY !== r.y)
  window.scrollTo({left: r.x, top: r.y, behavior: 'instant'});
for (const [el, x, y] of r.scrolled)
  if (el.scrollLeft !== x || el.scrollTop !== y)
    el.scrollTo({left: x, top: y, behavior: 'instant'});
return true;
)JS";
    return QString::fromUtf8(body);
}

QString FindScrollBox(int minPercent) {
    static const char body[] = R"JS(
(function(){
  const z = window.__zelvaneFreeze;
  const vw = window.innerWidth, vh = window.innerHeight;
  // The part of an element's client area within the view: [left, top, right, bottom].
  const visible = el => {
    const r = el.getBoundingClientRect(), x = r.left + el.clientLeft, y = r.top + el.clientTop;
    return [Math.max(0, x), Math.max(0, y), Math.min(vw, x + el.clientWidth),
            Math.min(vh, y + el.clientHeight)];
  };
  const scrolls = v => v === 'auto' || v === 'scroll' || v === 'overlay';
  let best = null, bestArea = vw * vh * %1 / 100;
  const down = [];
  // The body too: under a root that does not scroll, it scrolls as a box of its own.
  const b = document.body;
  for (const el of b ? [b, ...b.querySelectorAll('*')] : []) {
    if (el.scrollHeight <= el.clientHeight && el.scrollWidth <= el.clientWidth) continue;
    const st = getComputedStyle(el);
    if (!scrolls(st.overflowY) && !scrolls(st.overflowX)) continue;
    const [l, t, r, bottom] = visible(el);
    const w = r - l, h = bottom - t;
    if (w <= 0 || h <= 0) continue;
    if (w * h >= bestArea) { best = el; bestArea = w * h; }
    if (scrolls(st.overflowY) && el.scrollHeight > el.clientHeight) down.push([el, l, t, r, bottom]);
  }
  if (!best) return null;
  z.box = best;
  z.boxScroll = [best.scrollLeft, best.scrollTop];
  const moved = best.scrollLeft !== 0 || best.scrollTop !== 0;
  best.scrollTo({left: 0, top: 0, behavior: 'instant'});
  // Boxes beside it over its rows down to its foot (a side navigation) would be as tall as it
  // in a window as tall as the page: they scroll along with it, from their top.
  const [bl, bt, br, bb] = visible(best);
  z.sides = [];
  for (const [el, l, t, r, bottom] of down) {
    if (el === best || el.contains(best) || best.contains(el) || (l < br && r > bl) ||
        t < bt - 2 || Math.abs(bottom - bb) > 2 || z.sides.some(s => s.contains(el) || el.contains(s)))
      continue;
    z.sides.push(el);
    // Put back afterwards wherever it stood, as the user's panels are.
    if (!z.scrolled.some(k => k[0] === el)) z.scrolled.push([el, el.scrollLeft, el.scrollTop, null, 0]);
    el.scrollTo({left: el.scrollLeft, top: 0, behavior: 'instant'});
  }
  // Their backgrounds go along with their content, once, as in a window as tall as the page.
  for (const el of [best, ...z.sides]) z.set(el, 'background-attachment', 'local');
  // What is placed over a side box from outside, not scrolling with it, is there once, at the
  // top.
  for (const el of z.sides)
    for (const d of el.querySelectorAll('*'))
      if (getComputedStyle(d).position === 'absolute' && d.offsetParent &&
          !el.contains(d.offsetParent))
        z.fixed.add(d);
  return moved ? 2 : 1;
})()
)JS";
    return QString::fromUtf8(kFreezeState) + QString::fromUtf8(body).arg(minPercent);
}

QString ScrollBoxGeometry() {
    static const char body[] = R"JS(
(function(){
  const b = window.__zelvaneFreeze && window.__zelvaneFreeze.box;
  if (!b) return null;
  const r = b.getBoundingClientRect();
  return [Math.round(r.left + b.clientLeft), Math.round(r.top + b.clientTop), b.clientWidth,
          b.clientHeight, b.scrollWidth, b.scrollHeight];
})()
)JS";
    return QString::fromUtf8(body);
}

QString SideBoxGeometry() {
    static const char body[] = R"JS(
(function(){
  const z = window.__zelvaneFreeze;
  // The colour under its content: its own background or that of what it stands on.
  const background = el => {
    for (let e = el; e; e = e.parentElement) {
      const c = getComputedStyle(e).backgroundColor.match(/[0-9.]+/g);
      if (c && c.length >= 3 && (c.length < 4 || +c[3] > 0))
        return (+c[0] << 16) | (+c[1] << 8) | +c[2];
    }
    return 0xFFFFFF;
  };
  return (z && z.sides || []).map(s => {
    const r = s.getBoundingClientRect();
    return [Math.round(r.left + s.clientLeft), Math.round(r.top + s.clientTop), s.clientWidth,
            s.clientHeight, s.scrollHeight, background(s)];
  });
})()
)JS";
    return QString::fromUtf8(body);
}

QString LayoutSignature() {
    static const char body[] = R"JS(
(function(){
  const z = window.__zelvaneFreeze;
  let h = 2166136261 >>> 0, n = 0;
  const add = v => { h = Math.imul(h ^ (Math.round(v * 64) | 0), 16777619) >>> 0; };
  const d = document.documentElement;
  add(d.scrollWidth); add(d.scrollHeight);
  for (const el of document.querySelectorAll('*')) {
    if (z && z.marker && (el === z.marker || z.marker.contains(el))) continue;
    const r = el.getBoundingClientRect();
    add(r.left + window.scrollX); add(r.top + window.scrollY); add(r.width); add(r.height);
    ++n;
  }
  return h + ':' + n;
})()
)JS";
    return QString::fromUtf8(body);
}

QString RestoreLayout(int x, int y) {
    static const char body[] = R"JS(
(function(){
  const z = window.__zelvaneFreeze;
  if (z) {
    if (z.observer) z.observer.disconnect();
    for (const [el, style] of Array.from(z.saved.entries()).reverse()) {
      if (style === null) el.removeAttribute('style'); else el.setAttribute('style', style);
    }
    if (z.marker) z.marker.remove();
    if (z.box) z.box.scrollTo({left: z.boxScroll[0], top: z.boxScroll[1], behavior: 'instant'});
  }
  document.dispatchEvent(new Event('__zelvane_release_scroll'));
  const before = [window.scrollX, window.scrollY];
  window.scrollTo({top: %2, left: %1, behavior: 'instant'});
  if (z) {
    z.putBack(true);
    const users = window.__zelvaneScrollUsers;
    if (z.scrolled.length || (users && users.seen))
      window.__zelvaneRestored = {x: window.scrollX, y: window.scrollY, scrolled: z.scrolled};
    delete window.__zelvaneFreeze;
    // The page saw the top last; where the window does not move, no scroll event says otherwise.
    const at = [window.scrollX, window.scrollY];
    if (z.heldAt && at[0] === before[0] && at[1] === before[1] &&
        (at[0] !== z.heldAt[0] || at[1] !== z.heldAt[1]))
      document.dispatchEvent(new Event('scroll', {bubbles: true}));
  }
  return window.__zelvaneRestored !== undefined;
})()
)JS";
    return QString::fromUtf8(body).arg(x).arg(y);
}

QString ScrollPosition() {
    return QStringLiteral("[window.scrollX, window.scrollY]");
}

} // namespace DocumentScripts
