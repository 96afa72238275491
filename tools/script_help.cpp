#include "script_runner.h"

namespace orvane::script {

namespace {

constexpr std::string_view HelpText =
    R"(orvane-script: runs Orvane headless from scenario scripts, with a fake clock, fake
timers and scripted answers to every dialog.

usage: orvane-script [--program-dir DIR] SCRIPT...     ("-" reads standard input)

The scripts run one after another as one story. Exit status: 0 when every line ran and
every expect held; 1 at the first failed expect, unknown target, unanswered dialog, unused
answer at the end or malformed line (the message names the script and line); 2 for bad
arguments.

Lines: one command a line; a # that starts a word begins a comment; blank lines are
ignored. VALUE is the rest of the line, or one double-quoted string with the escapes \"
\\ \n \r (quote it when blanks at either end matter, or when it holds a #). Any other word
may be quoted the same way.

Before start:
  program-dir PATH             the program's folder (default: a fresh empty temporary one)
  setting SECTION KEY VALUE    preset a per-user setting
  arguments ARG...             the program's command-line arguments, read as the program
                               reads them (a relative FILE is in the program's folder)
  journal-file PATH            keep the mission journal in this SQLite file (default: in
                               memory)
  timezone ZONE                the computer's time zone, an IANA name such as
                               America/New_York (default UTC). The clock runs in real
                               instants; clock lines and every shown time are local wall
                               times in this zone
At any time until the program ends:
  seed N                       seed the random numbers (default 1)
  write-file NAME VALUE        write VALUE as the file NAME in the program's folder
  refuse-clock-changes REASON  the computer's clock refuses changes from now on
  clock YYYY-MM-DD HH:MM:SS    set the clock to the start of that second (after start: a
                               jump of the wall clock)
  plan-hold T-HH:MM:SS HH:MM:SS ends|waits LABEL
                               add a built-in hold to the countdown plan, as the plan
                               editor would: its T-time, its planned length, whether it ends
                               by itself (ends) or only on Resume (waits), and its label
                               (the rest of the line)
  start                        run the program's start-up
  advance DURATION             let time pass, firing timers: 90, 90s, 500ms, 2m, 1h, 3d
  answer BUTTON                answer the next message box: OK, Cancel, Yes, No
  choose PATH                  the file name the next Open or Save As dialog returns
  cancel-dialog                Cancel for the next Open or Save As dialog
  print-setting SECTION KEY    prints: setting SECTION KEY = VALUE (or <absent>)
After start:
  click TARGET                 a check box toggles, an option button selects, a menu runs
  dblclick TARGET
  mousedown TARGET [left|right]
  mouseup TARGET [left|right]
  key FORM CODE                a key press with that character code (27 is Esc)
  set TARGET VALUE             a user's edit: text box text, scroll bar value, check box
                               0/1, option button True, calendar date
  set TARGET.Property VALUE    assign as the program's code would, with change handling
  close FORM                   the window's close button
  callout-entry T-HH:MM:SS TEXT, callout-entry T+HH:MM:SS TEXT
                               add one of the team's own callouts, as the Callouts dialog
                               would: TEXT (the rest of the line) said when the count shows
                               that T-time (T-00:00:00 at liftoff), in place of any other
                               cue of that second
  callout-family NAME on|off   switch a family of callouts, as the Callouts dialog would:
                               final (ten to one and liftoff), minutes, seconds (30, 20,
                               15), holds, built-in-holds, events, window, commands
Always, even after end-program:
  print TARGET[.Property]      prints: TARGET.Property = VALUE
  expect TARGET[.Property] VALUE   fails unless the printed value equals VALUE

Input to a disabled control, to an item under a disabled menu or to any control of a
disabled window prints "ignored: TARGET is disabled". A mouse event (click, dblclick,
mousedown, mouseup) on a disabled control of an enabled window then goes on to what holds
it (the picture box or frame around it, else the window), whose handler runs; keys and set
stop there.

TARGET: Form, Form.Control or Form.Control(Index), for example frmEventTimers.pctEvent(3).
Menu items are controls of their window. A status bar panel goes by its key:
frmOrvane.sbrStatusBar(pnlCurrentFile), default property Text. The event record reads and
writes as frmEventTimers.EventData.Secs3 (likewise Plus3, Tag3, Hold3); an empty value
prints Empty. The launch data file's open and save paths read as frmOrvane.OpenPath and
frmOrvane.SavePath (full paths). print and expect never load a window: the controls of one that is not loaded
print <not loaded>, and Form.Loaded prints False.

Properties: Caption, Text, Value, Tag, Enabled, Visible, Checked, BackColor, ToolTipText,
Left, Top, Width, Height, Interval, Text of a status bar panel, Loaded of a window.
Without one: a label, command button, menu item or window prints its Caption, a text box
its Text, a scroll bar, check box or option button its Value, a timer its Enabled, a
picture box its Tag.

Values print as: texts in double quotes with the escapes above; whole numbers in decimal;
True/False; colours as &H and eight upper-case hex digits (&H008080FF); Empty. expect
compares a quoted VALUE in that printed form, and a text with a plain VALUE as plain text.

Transcript: one line for everything the program does to the outside world, in order:
  message title="Orvane" icon=Question buttons=YesNoCancel text="..." -> Yes
  open-dialog title="Open . . ." -> "/tmp/x/launch.ovx"
  save-dialog title="Save As . . ." -> cancelled
  help file="/tmp/x/ovproj.chm" topic="orvhlp\\main.htm"
  help close-all
  popup frmOrvane.mnuPopUp
  run-program "c:\\windows\\calc.exe"
  clock-set 2001-05-03 13:50:00
  clock-refused 2001-05-03 13:50:00 "REASON"
  own-clock 2001-05-03 13:50:00     the program's own clock set, not the computer's
  own-clock off                     the program's own clock back at the true time
  callout "T minus ten"             a callout due now, at the moment it starts to sound
  callout tone                      a tone due now
  journal hold count="T - 000 00:09:00"
  end-program
A callout that a hold, a mute or a clock step cancels is not printed. Callouts are on
unless a script mutes them (setting Callouts Sound 0).
After end-program only print and expect are accepted.

Journal: "journal KIND DETAILS" is printed once the program's mission journal has committed
a record. DETAILS are NAME="VALUE" pairs, count (the count shown) always first; times are
local wall times as YYYY-MM-DD HH:MM:SS, lengths and offsets whole seconds; window-left,
what is left of an active launch window, comes only while one is active; window-s is the
window's text in seconds, where the text is a time:
  hold                     count [window-left]
  resume                   count held old-launch launch [held-ms] [window-left] (held: the
                           whole seconds the launch moved; held-ms: the hold's true length)
  launch-time              count old-launch launch
  window-set               count window active (1 or 0) [window-s]
  window-warned            count window [window-s]
  window-expired           count window [window-s]
  event-defined, event-removed, event-passed
                           count number (1 to 10) name offset (negative before liftoff)
  liftoff                  count launch
  sim-time, sim-restored   count old-clock clock (the program's clock before and after)
  file-read                count path [old-launch] launch (the launch time read; old-launch
                           the one it replaced, absent at start-up)
  file-saved               count path
  start, exit              count
  built-in-hold            count label planned (its planned length, h:mm:ss)
  built-in-hold-end        count label planned actual (h:mm:ss: how long it stood, a
                           Resume that ended it included)

Time: advance fires, in order, every tick due up to and including the new moment; the
clock's whole second changes each time 1000 ms have passed since it was set. A clock line
naming a local time the time zone skips (the hour lost when the clocks go forward) is a
malformed line; a local time that happens twice (when they go back) means the first.
)";

} // namespace

std::string_view helpText() {
    return HelpText;
}

} // namespace orvane::script
