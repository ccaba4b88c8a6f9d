#include "shell/qt/qt_texts.h"

QString fromUtf8(const char* text)
{
    return QString::fromUtf8(text);
}

QString withoutMnemonic(const char* text)
{
    return fromUtf8(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}
