#include "data/launch_format.h"

#include "dates/datetime.h"

#include <limits>

namespace orvane {

namespace {

constexpr int MaxSeconds = 59, MaxMinutes = 59, MaxHours = 23, MaxSimDays = 365;

// One field as the file holds it, before conversion.
struct RawField {
    std::string text;
    bool quoted = false;
};

// What is wrong with a file; caught where the file is read, never passed on.
struct FileProblem {
    std::string what;
};

std::string fieldName(int n) {
    return "field " + std::to_string(n);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// Takes the line's fields in turn, refusing a short or long file and broken quoting.
class FieldSplitter {
  public:
    explicit FieldSplitter(std::string_view content) : m_s(content) {
        if (m_s.starts_with("\xEF\xBB\xBF")) // a byte order mark some editors put first
            m_s.remove_prefix(3);
    }

    // Field n, the one after the field before it.
    RawField field(int n) {
        if (n > 1) {
            skipBlanks();
            if (atLineEnd())
                throw FileProblem{fieldName(n) + " is missing"};
            if (m_s[m_pos] != ',')
                throw FileProblem{fieldName(n - 1) + " has more after its closing quote"};
            ++m_pos;
        } else if (m_s.empty()) {
            throw FileProblem{fieldName(1) + " is missing"};
        }
        skipBlanks();
        return m_pos < m_s.size() && m_s[m_pos] == '"' ? quoted(n) : unquoted(n);
    }

    // After the last field: line ends and blanks may follow, nothing else.
    void end() {
        for (; m_pos < m_s.size(); ++m_pos)
            if (!isBlank(m_s[m_pos]) && !isLineEnd(m_s[m_pos]))
                throw FileProblem{"there is more after field 88"};
    }

  private:
    bool atLineEnd() const { return m_pos == m_s.size() || isLineEnd(m_s[m_pos]); }
    void skipBlanks() {
        while (m_pos < m_s.size() && isBlank(m_s[m_pos]))
            ++m_pos;
    }

    RawField quoted(int n) {
        const std::size_t close = m_s.find('"', m_pos + 1);
        if (close == std::string_view::npos)
            throw FileProblem{fieldName(n) + " has no closing quote"};
        RawField f{std::string(m_s.substr(m_pos + 1, close - m_pos - 1)), true};
        m_pos = close + 1;
        return f;
    }

    RawField unquoted(int n) {
        const std::size_t start = m_pos;
        while (m_pos < m_s.size() && m_s[m_pos] != ',' && !isLineEnd(m_s[m_pos])) {
            if (m_s[m_pos] == '"')
                throw FileProblem{fieldName(n) + " has a double quote outside quotes"};
            ++m_pos;
        }
        std::string_view text = m_s.substr(start, m_pos - start);
        while (!text.empty() && isBlank(text.back()))
            text.remove_suffix(1);
        return RawField{std::string(text), false};
    }

    std::string_view m_s;
    std::size_t m_pos = 0;
};

// Converts each field to its destination's type and checks that it makes sense there.
class FieldReader {
  public:
    explicit FieldReader(std::string_view content) : m_splitter(content) {}
    void end() { m_splitter.end(); }

    void text(std::string& out) { out = next().text; }
    void launchTime(std::string& out) {
        checkedText(out, isLaunchTimeText, "is not a date and time");
    }
    void timeOfDay(std::string& out) {
        checkedText(out, isTimeOfDayText, "is not a time as hh:mm:ss");
    }
    void number(std::int32_t& out, std::int32_t lo, std::int32_t hi) {
        out = std::int32_t(wholeNumber(lo, hi));
    }
    void boolean(bool& out) {
        const RawField& f = next();
        const auto b = booleanOf(f);
        if (!b)
            fail("is not #TRUE# or #FALSE#");
        out = *b;
    }
    // A variant the file keeps for the program: nothing is empty, a boolean or a whole number
    // is kept as such, anything else as text.
    void tag(Variant& out) {
        const RawField& f = next();
        if (f.quoted)
            out = f.text;
        else if (f.text.empty())
            out = Variant();
        else if (auto b = booleanOf(f))
            out = *b;
        else if (auto n = parseWholeNumber(f.text))
            out = *n;
        else
            out = f.text;
    }
    void sign(Variant& out) {
        const RawField& f = next();
        if (!isSign(f.text))
            fail("is not \"+\", \"-\" or empty");
        out = f.quoted || !f.text.empty() ? Variant(f.text) : Variant();
    }
    void mark(std::string& out) {
        const RawField& f = next();
        if (!isSign(f.text))
            fail("is not \"+\", \"-\" or empty");
        out = f.text;
    }

  private:
    const RawField& next() {
        m_field = m_splitter.field(++m_n);
        return m_field;
    }
    [[noreturn]] void fail(const std::string& what) const {
        throw FileProblem{fieldName(m_n) + " " + what};
    }
    static bool isSign(std::string_view s) { return s.empty() || s == "+" || s == "-"; }
    static std::optional<bool> booleanOf(const RawField& f) {
        if (f.quoted)
            return std::nullopt;
        if (equalsIgnoringCase(f.text, "#TRUE#"))
            return true;
        if (equalsIgnoringCase(f.text, "#FALSE#"))
            return false;
        return std::nullopt;
    }
    void checkedText(std::string& out, bool (*sound)(std::string_view), const char* what) {
        const RawField& f = next();
        if (!sound(f.text))
            fail(what);
        out = f.text;
    }
    std::int64_t wholeNumber(std::int64_t lo, std::int64_t hi) {
        const RawField& f = next();
        std::string_view digits = f.text;
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
            digits.remove_prefix(1);
        const bool allDigits =
            !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
        if (!allDigits)
            fail("is not a whole number");
        const auto n = parseWholeNumber(f.text);
        if (!n || *n < lo || *n > hi)
            fail("is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
        return *n;
    }

    FieldSplitter m_splitter;
    RawField m_field;
    int m_n = 0;
};

// Writes each field in the notation, commas between them.
class FieldWriter {
  public:
    void text(const std::string& s) {
        std::string quoted = s;
        for (char& c : quoted)
            if (c == '"')
                c = '\'';
        add('"' + quoted + '"');
    }
    void launchTime(const std::string& s) { text(s); }
    void timeOfDay(const std::string& s) { text(s); }
    void number(std::int64_t n, std::int64_t, std::int64_t) { add(std::to_string(n)); }
    void boolean(bool b) { add(b ? "#TRUE#" : "#FALSE#"); }
    void tag(const Variant& v) {
        if (v.isText())
            text(v.text());
        else if (v.isBool())
            boolean(v.boolean());
        else if (v.isNumber())
            add(std::to_string(v.number()));
        else if (v.isColor())
            add(std::to_string(v.colorValue()));
        else
            add({});
    }
    void sign(const Variant& v) { tag(v); }
    void mark(const std::string& s) { text(s); }

    std::string line() const { return m_line + "\r\n"; }

  private:
    void add(const std::string& field) {
        if (m_count++ > 0)
            m_line += ',';
        m_line += field;
    }
    std::string m_line;
    int m_count = 0;
};

// The 88 fields in file order, for reading and writing alike.
template <class Visitor, class Data> void visitFields(Visitor& v, Data& d) {
    v.launchTime(d.lblTarget);
    // The boxes hold whatever the user typed until Set checks it, so they are kept as texts.
    v.text(d.txtLaunchDate);
    v.number(d.chkLaunchWindowActive, 0, 1);
    v.boolean(d.holdEnabled);
    v.timeOfDay(d.lblLaunchWindow);
    v.text(d.txtSeconds);
    v.text(d.txtMinutes);
    v.text(d.txtHours);
    v.text(d.txtSecondsW);
    v.text(d.txtMinutesW);
    v.text(d.txtHoursW);
    v.text(d.savePath);
    v.text(d.currentFile);
    v.number(d.vsbSeconds, 0, MaxSeconds);
    v.number(d.vsbMinutes, 0, MaxMinutes);
    v.number(d.vsbHours, 0, MaxHours);
    v.number(d.vsbSecondsW, 0, MaxSeconds);
    v.number(d.vsbMinutesW, 0, MaxMinutes);
    v.number(d.vsbHoursW, 0, MaxHours);
    v.boolean(d.sim.tMinus);
    v.number(d.sim.vsbSecondsSim, 0, MaxSeconds);
    v.number(d.sim.vsbMinutesSim, 0, MaxMinutes);
    v.number(d.sim.vsbHoursSim, 0, MaxHours);
    v.number(d.sim.vsbDaysSim, 0, MaxSimDays);
    v.text(d.sim.txtSecondsSim);
    v.text(d.sim.txtMinutesSim);
    v.text(d.sim.txtHoursSim);
    v.text(d.sim.txtDaysSim);
    for (auto& e : d.events) {
        v.tag(e.tag);
        v.number(e.secs, 0, std::numeric_limits<std::int32_t>::max());
        v.sign(e.plus);
        v.boolean(e.visible);
        v.mark(e.mark);
        v.text(e.name);
    }
}

} // namespace

LaunchFileRead parseLaunchFile(std::string_view content) {
    try {
        FieldReader reader(content);
        LaunchData data;
        visitFields(reader, data);
        reader.end();
        return {std::move(data), {}};
    } catch (const FileProblem& p) {
        return {std::nullopt, p.what};
    }
}

std::string formatLaunchFile(const LaunchData& data) {
    FieldWriter writer;
    visitFields(writer, data);
    return writer.line();
}

bool isLaunchTimeText(std::string_view text) {
    const auto parsed = parseDateText(text);
    return parsed && parsed->hasDate;
}

bool isTimeOfDayText(std::string_view text) {
    const auto parsed = parseDateText(text);
    return parsed && parsed->hasTime && !parsed->hasDate;
}

} // namespace orvane
