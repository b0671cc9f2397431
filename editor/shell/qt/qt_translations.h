#pragma once

class QCoreApplication;

namespace obrin {

// Loads Qt's own Japanese texts (the distribution's "qtbase_ja"), so the
// file, folder and font dialogs and the standard buttons speak the editor's
// language whatever the user's locale. False when they are not installed:
// those texts then stay English.
bool LoadJapaneseQtTranslations(QCoreApplication& app);

}  // namespace obrin
