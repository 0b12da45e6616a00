#pragma once

#include <QString>
#include <vector>

// A growable 16-bit character buffer for joining many small pieces, such as the NUL-separated
// path lists handed to the file operations. Capacity and BufferBump count bytes; lengths and
// positions count characters.
class CStringBuilder
{
public:
    // 0x80040200: the base for application errors plus 512.
    static constexpr int ErrorNumber = static_cast<int>(0x80040200u);

    CStringBuilder();

    qint32 BufferBump() const { return m_bufferBump; }
    void setBufferBump(qint32 NewVal);

    qint32 Capacity() const { return m_capacity; }
    void setCapacity(qint32 NewVal);

    QString Chars(qint32 Position = 0) const;
    void setChars(qint32 Position, const QString& NewVal);

    qint32 Length() const { return m_used / 2; }
    void setLength(qint32 NewVal);

    CStringBuilder& Append(const QString& NewText);
    CStringBuilder& AppendWithCrLf(const QString& NewText);
    qint32 EnsureCapacity(qint32 NewVal);
    CStringBuilder& Insert(qint32 StartIndex, const QString& NewText);
    CStringBuilder& Remove(qint32 StartIndex, qint32 Length = 0);
    QString ToString() const;

private:
    char16_t CharAt(qint32 position) const;
    void PutChar(qint32 position, char16_t c);
    void SwapBuffers() noexcept;

    qint32 m_bufferBump = 2048;
    qint32 m_used = 0;
    qint32 m_capacity = 2048;
    std::vector<unsigned char> m_buffer;
    std::vector<unsigned char> m_work;
};
