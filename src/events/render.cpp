#include "colors.h"
#include "events/frmEventTimers.h"
#include "events/modSecondsToTime.h"

namespace orvane {

namespace {

// The count state and the scroll marks as the tags show them.
const char* phaseTag(RowPhase phase) {
    return phase == RowPhase::CountingUp ? "1" : phase == RowPhase::CountingDown ? "2" : "";
}

RowPhase phaseOfTag(const std::string& tag) {
    return tag == "1"   ? RowPhase::CountingUp
           : tag == "2" ? RowPhase::CountingDown
                        : RowPhase::Fresh;
}

const char* endTag(TravelEnd end) {
    return end == TravelEnd::High ? "High" : end == TravelEnd::Low ? "Low" : "";
}

TravelEnd endOfTag(const std::string& tag) {
    return tag == "High" ? TravelEnd::High : tag == "Low" ? TravelEnd::Low : TravelEnd::None;
}

Color alertColor(AlertLevel alert) {
    return alert == AlertLevel::TenMinutes   ? PaleYellow
           : alert == AlertLevel::LastMinute ? Yellow
                                             : ButtonFace;
}

} // namespace

std::string frmEventTimers::countText(const BoardRow& r) {
    return r.count ? SecondsToTime(r.count->seconds, r.count->up) : "000/   00:00:00";
}

void frmEventTimers::render() {
    m_rendering = true;
    for (int n = 0; n < 10; ++n) {
        const BoardRow& r = m_board.row(n);
        PictureBox& panel = pctEvent[n];
        panel.setTop(FirstPlaceTop + PlaceStep * r.place);
        panel.setVisible(r.visible);
        panel.setTag(r.mark());
        panel.setBackColor(alertColor(r.shownAlert));
        lblName[n].setCaption(r.name);
        lblTime[n].setCaption(countText(r));
        lblTime[n].setBackColor(r.countAhead ? PaleRed : LightGreen);
        lblTime[n].setTag(endTag(r.end));
        lblTag[n].setTag(phaseTag(r.phase));
        if (r.captured != m_shownCaptured[n]) {
            m_shownCaptured[n] = r.captured;
            if (r.captured)
                lblTag[n].setCaption(formatDate(r.captured->wall, "General Date"));
        }
    }
    cmdDown.setEnabled(m_board.canScrollUp());
    mnuScrollUp.setEnabled(m_board.canScrollUp());
    cmdUp.setEnabled(m_board.canScrollDown());
    mnuScrollDown.setEnabled(m_board.canScrollDown());
    m_rendering = false;
}

// A script or a launch data file writes these controls as the program's code would: each
// new value becomes the board's, once, and the board is shown again in its own terms.
void frmEventTimers::wireEdits() {
    auto edit = [this](auto change) {
        return [this, change](const auto&... written) {
            if (m_rendering)
                return;
            change(written...);
            render();
        };
    };
    for (int n = 0; n < 10; ++n) {
        pctEvent[n].onTagChange =
            edit([this, n](const std::string& tag) { m_board.setMark(n, directionOfMark(tag)); });
        lblName[n].onChange = edit([this, n] { m_board.setName(n, lblName[n].caption()); });
        lblTime[n].onTagChange =
            edit([this, n](const std::string& tag) { m_board.setEnd(n, endOfTag(tag)); });
        lblTag[n].onTagChange =
            edit([this, n](const std::string& tag) { m_board.setPhase(n, phaseOfTag(tag)); });
        // The caption is kept as written; a text that is no date-time leaves no moment.
        lblTag[n].onChange = edit([this, n] {
            const auto captured = readLocalTime(lblTag[n].caption(), m_board.row(n).captured);
            m_board.setCaptured(n, captured);
            m_shownCaptured[n] = captured;
        });
    }
}

} // namespace orvane
