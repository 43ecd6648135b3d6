#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The single-byte code page of the files the game shares with us. Bytes 0x80-0x9F carry
// typographic characters (0x80 is the euro sign, 0x99 the trade mark sign), unlike
// Latin-1; the five bytes that code page leaves unassigned map to the C1 controls of the
// same value, so every byte survives a round trip.
QString fromWindows1252(const QByteArray &bytes);
// Characters the code page cannot hold become "?".
QByteArray toWindows1252(const QString &text);

} // namespace platform
