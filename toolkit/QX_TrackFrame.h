#pragma once

#include <QRect>
#include <QWidget>

// The outline that follows a resize: a 2-pixel red rectangle drawn by a top-level window shaped
// to its border, which the mouse passes through; it stands for an outline drawn on the screen.
class QX_TrackFrame final : public QWidget {
    Q_OBJECT

  public:
    explicit QX_TrackFrame(QWidget* parent = nullptr);

    // Shows the outline over the screen rectangle r.
    void Track(const QRect& r);

  protected:
    void paintEvent(QPaintEvent* event) override;
};
