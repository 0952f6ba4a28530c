#pragma once
// The help: HTML topics shipped beside the program in AppDir + "help/", one
// file per topic number ("10.html") and a contents page ("index.html"),
// shown in one help window. A missing file is reported as "Brak pliku z
// pomocą".

#include <string>

class QTextBrowser;
class QWidget;

namespace rubso {

// appDir + "help" + separator.
std::string HelpDirectory(const std::string& appDir);
// The file of a topic number; the contents page for topic 0.
std::string HelpTopicFile(const std::string& appDir, int topic);

// Shows the topic (0: the contents) in the help window, creating it on first
// use; shows the message "Brak pliku z pomocą" instead when the file does
// not exist. True when the topic was shown.
bool ShowHelpTopic(QWidget* parent, const std::string& appDir, int topic);

// The help window, when it has been opened (for tests); nullptr otherwise.
QTextBrowser* HelpBrowser();

}  // namespace rubso
