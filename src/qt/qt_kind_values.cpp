// The kinds that show a value: the scroll bar, the progress bar and the calendar.

#include "qt/qt_kind.h"
#include "qt/qt_view.h"

#include <QCalendarWidget>
#include <QLocale>
#include <QProgressBar>
#include <QScrollBar>

namespace orvane {

namespace {

// The widget runs upside down: its top end is the control's maximum, so the up arrow raises
// the value.
class ScrollBarView final : public KindView {
  public:
    ScrollBarView() : KindView({.ownClicks = true}) {}

    // It takes the keyboard focus like any other entry, so Up, Down, Page Up and Page Down
    // step it.
    QWidget* make(Control&, QWidget* client, QtView&) const override {
        auto* bar = new QScrollBar(Qt::Vertical, client);
        bar->setFocusPolicy(Qt::StrongFocus);
        return bar;
    }

    void connect(Control& c, QWidget* w, QtView& view) const override {
        auto* s = static_cast<ScrollBar*>(&c);
        QObject::connect(
            static_cast<QScrollBar*>(w), &QScrollBar::valueChanged, &view, [&view, s](int shown) {
                view.input(
                    *s, [&] { s->setValue(s->min() + s->max() - shown); }, Prop::Value);
            });
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        if (what != Prop::Range && what != Prop::Value)
            return;
        auto& s = static_cast<ScrollBar&>(c);
        auto* bar = static_cast<QScrollBar*>(w);
        bar->setRange(s.min(), s.max());
        bar->setSingleStep(s.smallChange());
        bar->setPageStep(s.largeChange());
        bar->setValue(s.min() + s.max() - s.value());
    }
};

class ProgressBarView final : public KindView {
  public:
    QWidget* make(Control&, QWidget* client, QtView&) const override {
        auto* bar = new QProgressBar(client);
        bar->setTextVisible(false);
        return bar;
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        if (what != Prop::Range && what != Prop::Value)
            return;
        auto& p = static_cast<ProgressBar&>(c);
        auto* bar = static_cast<QProgressBar*>(w);
        bar->setRange(p.min(), p.max());
        bar->setValue(p.value());
    }
};

class CalendarView final : public KindView {
  public:
    CalendarView() : KindView({.ownClicks = true}) {}

    QWidget* make(Control&, QWidget* client, QtView&) const override {
        auto* calendar = new QCalendarWidget(client);
        // Month and day names are English, like every date the program shows.
        calendar->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        calendar->setFirstDayOfWeek(Qt::Sunday);
        calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        return calendar;
    }

    void connect(Control& c, QWidget* w, QtView& view) const override {
        auto* control = static_cast<orvane::Calendar*>(&c);
        auto* calendar = static_cast<QCalendarWidget*>(w);
        QObject::connect(calendar, &QCalendarWidget::selectionChanged, &view,
                         [&view, control, calendar] {
                             const QDate d = calendar->selectedDate();
                             const auto when = DateTime::fromParts(d.year(), d.month(), d.day());
                             view.input(
                                 *control,
                                 [&] {
                                     if (when)
                                         control->setDate(*when);
                                 },
                                 Prop::Value);
                         });
        QObject::connect(calendar, &QCalendarWidget::activated, &view, [&view, control] {
            view.input(*control, [control] { control->dblClick(); });
        });
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        if (what != Prop::Value)
            return;
        const DateTime d = static_cast<orvane::Calendar&>(c).date();
        static_cast<QCalendarWidget*>(w)->setSelectedDate(QDate(d.year(), d.month(), d.day()));
    }
};

} // namespace

const KindView& scrollBarView() {
    static const ScrollBarView view;
    return view;
}

const KindView& progressBarView() {
    static const ProgressBarView view;
    return view;
}

const KindView& calendarView() {
    static const CalendarView view;
    return view;
}

} // namespace orvane
