#pragma once
// Small pieces every window builds with: themed icons with bundled fallbacks, fonts sized
// in pixels, buttons of a fixed size in a panel, translated captions.
#include <QFont>
#include <QIcon>
#include <QString>

class QBoxLayout;
class QPushButton;

namespace braceform {

// Registers the pictures compiled into the program; before any ":/" path is used.
void EnsureResources();

// An icon drawn from an SVG resource at the usual icon sizes, for every screen scale.
QIcon SvgIcon(const QString& resource);

// The program's own icon (braces), the application window icon.
QIcon ProgramIcon();

// The freedesktop theme's icon `themeName`, else the bundled picture ":/icons/<bundled>.png".
QIcon Icon(const char* themeName, const char* bundled);

// A font whose character height is `pixels` at 96 dots per inch.
QFont PixelFont(const char* family, double pixels);

// A button named `name` (its object name) with a fixed size, added to `layout`.
QPushButton* AddButton(QBoxLayout* layout, const char* name, const QString& caption,
                       const QIcon& icon, QSize size);

// TranslateText of an English text, as a QString.
QString Translated(const char* english);

// Lets the pending events be processed once, so that a progress text is painted before a
// long operation, without running user input: a click or key already queued then reaches
// its target after the operation, not inside it.
void ProcessPendingEventsOnce();

}  // namespace braceform
