#include "capture/DocumentRecorder.h"

#include "capture/BrowserControl.h"
#include "capture/DocumentScripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <cstring>

namespace {

// The script's wait: its own time and that of sending a long page's records back.
constexpr int kReplyMs = DocumentRecorder::kBudgetMs + 16000;

// The records of one kind the script sent: fields floats each, one after the other.
class FloatRecords final {
  public:
    FloatRecords(const QVariant& value, int fields)
        : m_bytes(value.toByteArray()), m_nFields(fields),
          m_bValid((value.isNull() || value.typeId() == QMetaType::QByteArray) &&
                   m_bytes.size() % (qsizetype(fields) * 4) == 0) {}

    bool Valid() const { return m_bValid; }
    qsizetype Count() const { return m_bValid ? m_bytes.size() / (qsizetype(m_nFields) * 4) : 0; }
    double At(qsizetype record, int field) const {
        float v;
        std::memcpy(&v, m_bytes.constData() + (record * m_nFields + field) * 4, 4);
        return double(v);
    }

  private:
    QByteArray m_bytes;
    int m_nFields;
    bool m_bValid;
};

bool Finite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

// A whole number in [0, below).
bool Index(double v, qsizetype below) {
    return std::isfinite(v) && v >= 0 && v < double(below) && v == std::floor(v);
}

bool HasSpace(const QString& text) {
    for (QChar c : text)
        if (c.isSpace())
            return true;
    return false;
}

QRectF Scaled(const QRectF& r) {
    constexpr double s = DocumentRecorder::kImageScale;
    return QRectF(r.x() * s, r.y() * s, r.width() * s, r.height() * s);
}

} // namespace

bool DocumentRecorder::Record(BrowserControl* control, DocumentLayer* layer) const {
    QJsonArray sides;
    for (const Placement::Side& side : m_place.sides)
        sides.append(side.script);
    const QJsonObject options{{QStringLiteral("box"), m_place.box},
                              {QStringLiteral("sides"), sides},
                              {QStringLiteral("ms"), kBudgetMs},
                              {QStringLiteral("words"), kMaxWords},
                              {QStringLiteral("text"), kMaxTextChars},
                              {QStringLiteral("links"), kMaxLinks},
                              {QStringLiteral("headings"), kMaxHeadings},
                              {QStringLiteral("heading"), kMaxHeadingChars},
                              {QStringLiteral("address"), kMaxAddressChars}};
    const QString script = DocumentScripts::RecordLayer(
        QString::fromUtf8(QJsonDocument(options).toJson(QJsonDocument::Compact)));
    QVariant reply;
    if (control && control->RunScript(script, &reply, kReplyMs) && Take(reply, layer))
        return true;
    DocumentLayer empty;
    empty.captured = layer->captured;
    *layer = std::move(empty);
    return false;
}

bool DocumentRecorder::Take(const QVariant& reply, DocumentLayer* layer) const {
    if (reply.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariantMap map = reply.toMap();
    if (map.value(QStringLiteral("v")).toInt() != 1)
        return false;
    const FloatRecords words(map.value(QStringLiteral("w")), 6);
    const FloatRecords links(map.value(QStringLiteral("l")), 10);
    const FloatRecords headings(map.value(QStringLiteral("h")), 6);
    if (!words.Valid() || !links.Valid() || !headings.Valid())
        return false;
    const QString text = map.value(QStringLiteral("t")).toString();
    const QStringList strings = map.value(QStringLiteral("s")).toStringList();

    DocumentLayer out;
    out.captured = layer->captured;
    out.title = map.value(QStringLiteral("title")).toString().left(kMaxTitleChars);
    const QString address = map.value(QStringLiteral("address")).toString();
    if (address.size() <= kMaxAddressChars)
        out.address = address;
    // The texts follow one another in the order of their records: a length that does not fit
    // is a reply not to be trusted at all.
    qsizetype at = 0;
    const qsizetype wordCount = std::min<qsizetype>(words.Count(), kMaxWords);
    out.words.reserve(size_t(wordCount));
    for (qsizetype i = 0; i < wordCount; ++i) {
        const double length = words.At(i, 4);
        if (!Index(length - 1, text.size() - at))
            return false;
        const QString word = text.mid(at, qsizetype(length));
        at += qsizetype(length);
        QRectF box(words.At(i, 0), words.At(i, 1), words.At(i, 2), words.At(i, 3));
        if (!Finite({box.x(), box.y(), box.width(), box.height()}) ||
            !Index(words.At(i, 5), 1 << 16) || HasSpace(word) ||
            !PlaceBox(&box, int(words.At(i, 5))))
            continue;
        out.words.push_back({word, box});
    }
    for (qsizetype i = 0; i < std::min<qsizetype>(links.Count(), kMaxLinks); ++i) {
        QRectF box(links.At(i, 0), links.At(i, 1), links.At(i, 2), links.At(i, 3));
        if (!Finite({box.x(), box.y(), box.width(), box.height()}) ||
            !Index(links.At(i, 4), strings.size()) || !Index(links.At(i, 5), 1 << 16) ||
            !PlaceBox(&box, int(links.At(i, 5))))
            continue;
        DocumentLayer::Link link;
        link.box = box;
        link.address = strings.at(qsizetype(links.At(i, 4)));
        if (link.address.isEmpty() || link.address.size() > kMaxAddressChars)
            continue;
        QPointF target(links.At(i, 7), links.At(i, 8));
        link.hasTarget = links.At(i, 6) == 1 && Finite({target.x(), target.y()}) &&
                         Index(links.At(i, 9), 1 << 16) && PlacePoint(&target, int(links.At(i, 9)));
        if (link.hasTarget)
            link.target = target;
        out.links.push_back(std::move(link));
    }
    for (qsizetype i = 0; i < std::min<qsizetype>(headings.Count(), kMaxHeadings); ++i) {
        const double level = headings.At(i, 0);
        QPointF place(headings.At(i, 1), headings.At(i, 2));
        if (!Index(level - 1, 6) || !Finite({place.x(), place.y()}) ||
            !Index(headings.At(i, 3), strings.size()) || !Index(headings.At(i, 4), 1 << 16) ||
            !PlacePoint(&place, int(headings.At(i, 4))))
            continue;
        const QString title = strings.at(qsizetype(headings.At(i, 3))).left(kMaxHeadingChars);
        // The height lets a heading whose top row was cut away be found by its other rows.
        const double height = headings.At(i, 5);
        if (!title.isEmpty())
            out.headings.push_back(
                {int(level), title, place,
                 Finite({height}) && height > 0 && height <= m_place.image.height()
                     ? height * kImageScale
                     : 0.0});
    }
    *layer = std::move(out);
    return true;
}

bool DocumentRecorder::Locate(const QRectF& r, int place, QPointF* shift, QRectF* bounds) const {
    const int region = place >> 1;
    const bool fixed = (place & 1) != 0;
    // Hidden after the first tile: only what that tile showed of it is in the image.
    if (fixed && !QRectF(m_place.firstTile).contains(r.center()))
        return false;
    *shift = QPointF(0, 0);
    *bounds = QRectF(QPointF(0, 0), QSizeF(m_place.image));
    if (!m_place.box)
        return region == 0;
    // BoxSurround's image: the box grown to its content, the page right of it and below it
    // moved aside by as much; side boxes right of it likewise.
    const QRectF view(m_place.boxView);
    const qreal dx = m_place.boxContent.width() - view.width();
    const qreal dy = m_place.boxContent.height() - view.height();
    if (region == 1) {
        *bounds = QRectF(view.topLeft(), QSizeF(m_place.boxContent));
        return true;
    }
    if (region >= 2) {
        if (region - 2 >= m_place.sides.size())
            return false;
        const Placement::Side& side = m_place.sides.at(region - 2);
        *shift = QPointF(side.view.left() > m_place.boxView.right() ? dx : 0, 0);
        *bounds = QRectF(side.view.left() + shift->x(), side.view.top(), side.view.width(),
                         std::max(side.height, side.view.height()));
        return true;
    }
    if (region != 0)
        return false;
    // The page's own elements over the box or a side box stand still while they scroll: they
    // are in every tile, not once. Fixed ones are hidden after the first.
    if (!fixed) {
        if (r.intersects(view))
            return false;
        for (const Placement::Side& side : m_place.sides)
            if (r.intersects(QRectF(side.view)))
                return false;
    }
    // Across the box's right or bottom edge: torn apart in the image.
    if ((r.left() < view.right() && r.right() > view.right()) ||
        (r.top() < view.bottom() && r.bottom() > view.bottom()))
        return false;
    *shift = QPointF(r.left() >= view.right() ? dx : 0, r.top() >= view.bottom() ? dy : 0);
    return true;
}

bool DocumentRecorder::PlaceBox(QRectF* r, int place) const {
    QPointF shift;
    QRectF bounds;
    if (r->width() <= 0 || r->height() <= 0 || !Locate(*r, place, &shift, &bounds))
        return false;
    const QRectF moved = r->translated(shift);
    // A word partly clipped stays when its middle is drawn.
    if (!bounds.contains(moved.center()))
        return false;
    *r = Scaled(moved.intersected(bounds));
    return !r->isEmpty();
}

bool DocumentRecorder::PlacePoint(QPointF* p, int place) const {
    QPointF shift;
    QRectF bounds;
    if (!Locate(QRectF(*p, QSizeF(0, 0)), place, &shift, &bounds) || !bounds.contains(*p + shift))
        return false;
    *p = (*p + shift) * kImageScale;
    return true;
}
