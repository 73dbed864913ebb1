#pragma once
#include <QString>
#include <initializer_list>

class QRadioButton;

namespace ui {

// `text` with an access key: an '&' before the first occurrence of `key`, so that the letter shows
// underlined and Alt with it reaches the control. The text is returned as it is when it lacks the key.
QString WithAccessKey(const QString& text, QChar key);

// Names every drop-down list by its label (its accessible name, else its buddy label) and gives its chosen
// text as its value. Left to itself, Qt names a list by its chosen text on Linux, so a list with nothing
// chosen has no name at all for a screen reader. Safe to call more than once.
void NameListsByTheirLabels();

// Tab enters a group of radio buttons at its checked button, as it does on other desktops; the arrow
// keys still move between the buttons. Kept up to date as the check moves.
void TabStopOnCheckedButton(std::initializer_list<QRadioButton*> group);

}  // namespace ui
