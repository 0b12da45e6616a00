#include "base/CStringBuilder.h"

#include "base/AppError.h"
#include "base/Numbers.h"

#include <cstring>
#include <utility>

namespace {

[[noreturn]] void Raise(const char* member, const char* description)
{
    RaiseError(CStringBuilder::ErrorNumber, QString::fromLatin1(description),
               QStringLiteral("CStringBuilder.") + QString::fromLatin1(member));
}

qint32 ByteSize(const QString& text)
{
    if (text.size() > 0x3fffffff)
        RaiseError(ErrorNumber::Overflow);
    return static_cast<qint32>(text.size()) * 2;
}

} // namespace

CStringBuilder::CStringBuilder() : m_buffer(2048, 0), m_work(2048, 0) {}

void CStringBuilder::setBufferBump(qint32 NewVal)
{
    if (NewVal <= 0)
        return;
    m_bufferBump = NewVal % 2 == 1 ? CheckedAdd(NewVal, 1) : NewVal;
}

void CStringBuilder::setCapacity(qint32 NewVal)
{
    if (NewVal <= 0)
        return;
    qint32 rounded = NewVal;
    if (const qint32 rest = NewVal % m_bufferBump; rest != 0)
        rounded = CheckedAdd(NewVal - rest, m_bufferBump);
    if (rounded < m_used)
        m_used = rounded;
    m_buffer.resize(static_cast<std::size_t>(rounded), 0);
    m_work.assign(static_cast<std::size_t>(rounded), 0);
    m_capacity = rounded;
}

char16_t CStringBuilder::CharAt(qint32 position) const
{
    const auto at = static_cast<std::size_t>(position) * 2;
    return static_cast<char16_t>(m_buffer[at] | (m_buffer[at + 1] << 8));
}

void CStringBuilder::PutChar(qint32 position, char16_t c)
{
    const auto at = static_cast<std::size_t>(position) * 2;
    m_buffer[at] = static_cast<unsigned char>(c & 0xff);
    m_buffer[at + 1] = static_cast<unsigned char>(c >> 8);
}

QString CStringBuilder::Chars(qint32 Position) const
{
    if (Position < 0 || Position >= Length())
        Raise("Chars", "Tried reading character past end of buffer.");
    return QString(QChar(CharAt(Position)));
}

void CStringBuilder::setChars(qint32 Position, const QString& NewVal)
{
    if (Position < 0 || Position >= Length())
        Raise("Chars", "Tried assigning character past end of buffer.");
    if (NewVal.isEmpty())
        RaiseError(ErrorNumber::InvalidCall);
    PutChar(Position, NewVal.at(0).unicode());
}

void CStringBuilder::setLength(qint32 NewVal)
{
    if (NewVal < 0)
        return;
    const qint32 bytes = CheckedMul(NewVal, 2);
    if (bytes > m_capacity)
        setCapacity(bytes);
    m_used = bytes;
}

CStringBuilder& CStringBuilder::Append(const QString& NewText)
{
    if (NewText.isEmpty())
        return *this;
    const qint32 bytes = ByteSize(NewText);
    EnsureCapacity(CheckedAdd(m_used, bytes));
    const qint32 start = m_used / 2;
    for (qsizetype i = 0; i < NewText.size(); ++i)
        PutChar(start + static_cast<qint32>(i), NewText.at(i).unicode());
    m_used += bytes;
    return *this;
}

CStringBuilder& CStringBuilder::AppendWithCrLf(const QString& NewText)
{
    Append(NewText);
    return Append(QStringLiteral("\r\n"));
}

qint32 CStringBuilder::EnsureCapacity(qint32 NewVal)
{
    if (NewVal > m_capacity)
        setCapacity(NewVal);
    return m_capacity;
}

CStringBuilder& CStringBuilder::Insert(qint32 StartIndex, const QString& NewText)
{
    if (StartIndex < 0 || StartIndex > Length())
        Raise("Insert", "Argument(s) out of range.");
    if (NewText.isEmpty())
        return *this;
    const qint32 bytes = ByteSize(NewText);
    EnsureCapacity(CheckedAdd(m_used, bytes));
    const auto head = static_cast<std::size_t>(StartIndex) * 2;
    std::memcpy(m_work.data(), m_buffer.data(), head);
    for (qsizetype i = 0; i < NewText.size(); ++i) {
        const char16_t c = NewText.at(i).unicode();
        m_work[head + 2 * static_cast<std::size_t>(i)] = static_cast<unsigned char>(c & 0xff);
        m_work[head + 2 * static_cast<std::size_t>(i) + 1] = static_cast<unsigned char>(c >> 8);
    }
    std::memcpy(m_work.data() + head + static_cast<std::size_t>(bytes), m_buffer.data() + head,
                static_cast<std::size_t>(m_used) - head);
    SwapBuffers();
    m_used += bytes;
    return *this;
}

CStringBuilder& CStringBuilder::Remove(qint32 StartIndex, qint32 Length)
{
    if (StartIndex < 0 || Length < 0 || static_cast<qint64>(StartIndex) + Length > this->Length())
        Raise("Remove", "Argument(s) out of range.");
    if (Length == 0)
        return *this;
    const auto to = static_cast<std::size_t>(StartIndex) * 2;
    const auto from = to + static_cast<std::size_t>(Length) * 2;
    std::memmove(m_buffer.data() + to, m_buffer.data() + from,
                 static_cast<std::size_t>(m_used) - from);
    m_used -= Length * 2;
    return *this;
}

QString CStringBuilder::ToString() const
{
    if (m_used == 0)
        return {};
    QString text(m_used / 2, Qt::Uninitialized);
    for (qint32 i = 0; i < m_used / 2; ++i)
        text[i] = QChar(CharAt(i));
    return text;
}

void CStringBuilder::SwapBuffers() noexcept
{
    std::swap(m_buffer, m_work);
}
