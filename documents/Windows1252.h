#pragma once

#include <QByteArray>
#include <QString>

// The 8-bit text of settings documents. Documents from the original platform hold
// Windows-1252; text that code page cannot hold is stored as UTF-8 and told apart on reading.

// Windows-1252, with its five unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as the
// control characters of the same number, so that every byte has a character and back.
QString DecodeWindows1252(const QByteArray& bytes);

// False when some character has no Windows-1252 byte; `bytes` then holds no useful result.
bool EncodeWindows1252(const QString& text, QByteArray& bytes);

// Well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF) in which at least
// one character takes more than one byte.
bool IsMultiByteUtf8(const QByteArray& bytes);

// Windows-1252 when every character fits and the bytes cannot be mistaken for UTF-8 on
// reading; otherwise UTF-8. Either way DecodeDocumentText gives the text back unchanged.
QByteArray EncodeDocumentText(const QString& text);

// UTF-8 when IsMultiByteUtf8, otherwise Windows-1252.
QString DecodeDocumentText(const QByteArray& bytes);
