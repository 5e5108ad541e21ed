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
  marker: null,
  keep(el) { if (!this.saved.has(el)) this.saved.set(el, el.getAttribute('style')); },
  set(el, name, value) { el.style.setProperty(name, value, 'important'); },
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
    // Proxies keep the wrapped functions looking native to the page.
    static const char body[] = R"JS(
(() => {
  let told = false;
  const tell = () => {
    if (told) return;
    told = true;
    document.dispatchEvent(new Event('__zelvane_scroll_user'));
  };
  const wrap = (fn, before) => new Proxy(fn, {
    apply(target, self, args) { before(self, args); return Reflect.apply(target, self, args); }
  });
  // A bare addEventListener(...) call has no this: it is the window's.
  const scrolled = self => self == null || self === window || self === document ||
      self instanceof HTMLBodyElement || self instanceof HTMLFrameSetElement;
  const isScroll = type => type === 'scroll' || type === 'scrollend';
  if (window.IntersectionObserver) {
    const p = IntersectionObserver.prototype;
    p.observe = wrap(p.observe, tell);
  }
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
    z.keep(el);
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
if ((at[0] > 0 || at[1] > 0) && z.changed) {
  z.changed = false;
  for (const el of document.querySelectorAll('*'))
    if (!z.fixed.has(el) && getComputedStyle(el).position === 'fixed') z.fixed.add(el);
  for (const el of z.fixed) {
    if (z.hidden.has(el) || el === z.marker || (z.marker && z.marker.contains(el))) continue;
    z.hidden.add(el);
    z.keep(el);
    z.set(el, 'opacity', '0');
    z.set(el, 'transition', 'none');
    z.set(el, 'animation', 'none');
  }
}
return at;
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

QString FindScrollBox(int minPercent) {
    static const char body[] = R"JS(
(function(){
  const z = window.__zelvaneFreeze;
  const vw = window.innerWidth, vh = window.innerHeight;
  let best = null, bestArea = vw * vh * %1 / 100;
  // The body too: under a root that does not scroll, it scrolls as a box of its own.
  const b = document.body;
  for (const el of b ? [b, ...b.querySelectorAll('*')] : []) {
    if (el.scrollHeight <= el.clientHeight && el.scrollWidth <= el.clientWidth) continue;
    const st = getComputedStyle(el);
    const scrolls = v => v === 'auto' || v === 'scroll' || v === 'overlay';
    if (!scrolls(st.overflowY) && !scrolls(st.overflowX)) continue;
    const r = el.getBoundingClientRect();
    const w = Math.min(vw, r.left + el.clientLeft + el.clientWidth) - Math.max(0, r.left + el.clientLeft);
    const h = Math.min(vh, r.top + el.clientTop + el.clientHeight) - Math.max(0, r.top + el.clientTop);
    if (w > 0 && h > 0 && w * h >= bestArea) { best = el; bestArea = w * h; }
  }
  if (!best) return null;
  z.box = best;
  z.boxScroll = [best.scrollLeft, best.scrollTop];
  best.scrollTo({left: 0, top: 0, behavior: 'instant'});
  return true;
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
    delete window.__zelvaneFreeze;
  }
  window.scrollTo({top: %2, left: %1, behavior: 'instant'});
  return true;
})()
)JS";
    return QString::fromUtf8(body).arg(x).arg(y);
}

QString ScrollPosition() {
    return QStringLiteral("[window.scrollX, window.scrollY]");
}

} // namespace DocumentScripts
