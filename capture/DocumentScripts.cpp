#include "capture/DocumentScripts.h"

namespace DocumentScripts {

namespace {

// The document of the top window (frame < 0) or of one of its frames; null when unreadable.
QString DocumentOf(int frame) {
    return QStringLiteral("(function(f){try{var d=f<0?document:window.frames[f].document;"
                          "return d||null;}catch(e){return null;}})(%1)")
        .arg(frame);
}

// Style changes of the capture, undone from the saved style attributes.
const char kFreezeState[] = R"JS(
window.__zelvaneFreeze = window.__zelvaneFreeze || {
  saved: new Map(),
  fixed: new Set(),
  hidden: new Set(),
  keep(el) { if (!this.saved.has(el)) this.saved.set(el, el.getAttribute('style')); },
  set(el, name, value) { el.style.setProperty(name, value, 'important'); }
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
    return QStringLiteral("(function(d){if(!d||!d.body||d.body.tagName!=='BODY'||!d.body."
                          "firstChild)return null;"
                          "var b=d.body,r=d.documentElement;"
                          "return [Math.max(b.scrollWidth,r.scrollWidth),"
                          "Math.max(b.scrollHeight,r.scrollHeight)];})(%1)")
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

QString BringInLazyContent(int waitMs) {
    static const char body[] = R"JS(
const frame = () => new Promise(r => requestAnimationFrame(() => r()));
const height = () => Math.max(document.documentElement.scrollHeight,
                              document.body ? document.body.scrollHeight : 0);
for (const el of document.querySelectorAll('img[loading="lazy"],iframe[loading="lazy"]'))
  el.loading = 'eager';
const step = Math.max(100, window.innerHeight);
// Pages that load more on reaching the end would never end: the walk is bounded.
const limit = Math.min(height() * 2, 400000);
for (let y = 0; y < height() && y < limit; y += step) {
  window.scrollTo({top: y, left: 0, behavior: 'instant'});
  await frame();
}
window.scrollTo({top: 0, left: 0, behavior: 'instant'});
await frame();
await frame();
const pending = Array.from(document.images).filter(i => !i.complete);
if (pending.length) {
  const loaded = pending.map(i => new Promise(r => {
    i.addEventListener('load', r, {once: true});
    i.addEventListener('error', r, {once: true});
  }));
  await Promise.race([Promise.all(loaded), new Promise(r => setTimeout(r, %1))]);
  await frame();
}
return true;
)JS";
    return QString::fromUtf8(body).arg(waitMs);
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
    const p = getComputedStyle(el).position;
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

QString ScrollTile(int y) {
    // Elements that turn fixed on scrolling (script-driven headers) are hidden as well.
    static const char body[] = R"JS(
const z = window.__zelvaneFreeze;
const y = %1;
window.scrollTo({top: y, left: 0, behavior: 'instant'});
if (z && y > 0) {
  for (const el of document.querySelectorAll('*'))
    if (!z.fixed.has(el) && getComputedStyle(el).position === 'fixed') z.fixed.add(el);
  for (const el of z.fixed) {
    if (z.hidden.has(el)) continue;
    z.hidden.add(el);
    z.keep(el);
    z.set(el, 'opacity', '0');
    z.set(el, 'transition', 'none');
    z.set(el, 'animation', 'none');
  }
}
await new Promise(r => requestAnimationFrame(() => r()));
await new Promise(r => requestAnimationFrame(() => r()));
return [window.scrollX, window.scrollY, window.innerWidth, window.innerHeight];
)JS";
    return QString::fromUtf8(body).arg(y);
}

QString RestoreLayout(int x, int y) {
    static const char body[] = R"JS(
(function(){
  const z = window.__zelvaneFreeze;
  if (z) {
    for (const [el, style] of Array.from(z.saved.entries()).reverse()) {
      if (style === null) el.removeAttribute('style'); else el.setAttribute('style', style);
    }
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
