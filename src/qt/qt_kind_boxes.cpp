// The kinds that hold or decorate other controls: the picture box, the frame and the shape.

#include "qt/qt_kind.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"

#include <QFrame>

namespace orvane {

namespace {

class PictureBoxView final : public KindView {
  public:
    PictureBoxView() : KindView({.clickOnRelease = true}) {}

    QWidget* make(Control&, QWidget* client, QtView&) const override { return new QFrame(client); }

    void sync(Control& c, QWidget* w, Prop what, QtView& view) const override {
        if (what == Prop::BackColor) {
            fill(w, c.backColor());
        } else if (what == Prop::BorderStyle) {
            auto* frame = static_cast<QFrame*>(w);
            const int before = frame->frameWidth();
            frame->setFrameStyle(c.borderStyle() == 1 ? QFrame::StyledPanel | QFrame::Sunken
                                                      : QFrame::NoFrame);
            // What the box holds counts its place from within the border.
            if (frame->frameWidth() != before)
                for (Control* inside : c.form().controls())
                    if (inside->container() == &c)
                        view.controlChanged(*inside, Prop::Geometry);
        }
    }
};

class FrameView final : public KindView {
  public:
    FrameView() : KindView({.clickOnRelease = true}) {}

    QWidget* make(Control&, QWidget* client, QtView&) const override {
        return new FrameWidget(client);
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        if (what == Prop::Caption) {
            static_cast<FrameWidget*>(w)->setTitle(qstr(static_cast<Frame&>(c).caption()));
        } else if (what == Prop::BackColor || what == Prop::ForeColor) {
            fill(w, c.backColor());
            setColor(w, QPalette::WindowText, toQColor(c.foreColor()), false);
        }
    }
};

class ShapeView final : public KindView {
  public:
    QWidget* make(Control&, QWidget* client, QtView&) const override {
        return new ShapeWidget(client);
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        if (what != Prop::Shape)
            return;
        auto& s = static_cast<Shape&>(c);
        static_cast<ShapeWidget*>(w)->setShape(s.shape(), toQColor(s.fillColor()));
    }
};

} // namespace

const KindView& pictureBoxView() {
    static const PictureBoxView view;
    return view;
}

const KindView& frameView() {
    static const FrameView view;
    return view;
}

const KindView& shapeView() {
    static const ShapeView view;
    return view;
}

} // namespace orvane
