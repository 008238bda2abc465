// A language file, as any bytes, read section by section; "other" also
// replaces the DPI switch texts.
#include "dpiswitchtexts.h"
#include "fuzzsupport.h"
#include "languagestrings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::setUp();
    fuzz::writeFresh(QStringLiteral("./modules/i18n/Fuzzed.ini"),
                     QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const char* section : {"main", "keyMatrix", "keyAssigment", "dpiSetting", "lightControl", "macroEditor",
                                "systemSetting", "gunControl", "profile", "keyCode", "other"})
        (void)getLangStrings(QString::fromLatin1(section), QStringLiteral("Fuzzed"));
    for (int stage = -1; stage <= 9; ++stage)
        (void)dpiSwitchText(stage);
    return 0;
}
