// The buttons: check boxes, option buttons and command buttons. A click goes to the control,
// which has the last word on what the button shows.

#include "qt/qt_kind.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

namespace orvane {

namespace {

class ButtonView : public KindView {
  public:
    ButtonView() : KindView({.ownClicks = true}) {}

    void connect(Control& c, QWidget* w, QtView& view) const override {
        Control* control = &c;
        QObject::connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, &view,
                         [&view, control] {
                             // The widget may have toggled itself; the control decides.
                             view.input(
                                 *control, [control] { control->click(); }, Prop::Value);
                         });
    }
};

// The style would fill behind the box and caption with the button colour, a lighter patch on
// a coloured frame; the control's own back colour goes in the window role.
QWidget* boxOnWindowColor(QAbstractButton* box) {
    box->setBackgroundRole(QPalette::Window);
    return box;
}

void syncBoxColors(Control& c, QWidget* w) {
    fill(w, c.backColor());
    setColor(w, QPalette::WindowText, toQColor(c.foreColor()), false);
}

class CheckBoxView final : public ButtonView {
  public:
    QWidget* make(Control&, QWidget* client, QtView&) const override {
        return boxOnWindowColor(new QCheckBox(client));
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        auto& k = static_cast<CheckBox&>(c);
        auto* box = static_cast<QCheckBox*>(w);
        if (what == Prop::Caption)
            box->setText(qstr(k.caption()));
        else if (what == Prop::Value)
            box->setCheckState(k.value() == 1   ? Qt::Checked
                               : k.value() == 2 ? Qt::PartiallyChecked
                                                : Qt::Unchecked);
        else if (what == Prop::BackColor || what == Prop::ForeColor)
            syncBoxColors(c, w);
    }
};

class OptionButtonView final : public ButtonView {
  public:
    QWidget* make(Control&, QWidget* client, QtView&) const override {
        // The controls group option buttons themselves.
        auto* button = new QRadioButton(client);
        button->setAutoExclusive(false);
        return boxOnWindowColor(button);
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        auto& o = static_cast<OptionButton&>(c);
        auto* button = static_cast<QRadioButton*>(w);
        if (what == Prop::Caption)
            button->setText(qstr(o.caption()));
        else if (what == Prop::Value)
            button->setChecked(o.value());
        else if (what == Prop::BackColor || what == Prop::ForeColor)
            syncBoxColors(c, w);
    }
};

class CommandButtonView final : public ButtonView {
  public:
    QWidget* make(Control&, QWidget* client, QtView&) const override {
        auto* button = new QPushButton(client);
        button->setAutoDefault(false);
        return button;
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        auto& k = static_cast<CommandButton&>(c);
        auto* button = static_cast<QPushButton*>(w);
        if (what == Prop::Caption)
            button->setText(qstr(k.caption()));
        else if (what == Prop::Default)
            button->setDefault(k.isDefault());
    }
};

} // namespace

const KindView& checkBoxView() {
    static const CheckBoxView view;
    return view;
}

const KindView& optionButtonView() {
    static const OptionButtonView view;
    return view;
}

const KindView& commandButtonView() {
    static const CommandButtonView view;
    return view;
}

} // namespace orvane
