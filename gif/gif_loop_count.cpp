#include "gif/gif_loop_count.h"

namespace {

constexpr int headerSize = 13;
constexpr char extensionIntroducer = 0x21;
constexpr char imageSeparator = 0x2C;
constexpr uchar applicationLabel = 0xFF;

// Bytes of a colour table announced by a packed flags byte.
int colourTableSize(uchar flags)
{
    return (flags & 0x80) ? 3 * (1 << ((flags & 0x07) + 1)) : 0;
}

uchar byteAt(const QByteArray &bytes, int pos)
{
    return pos < bytes.size() ? static_cast<uchar>(bytes.at(pos)) : 0;
}

// Position after a chain of data sub-blocks and its terminator.
int skipSubBlocks(const QByteArray &bytes, int pos)
{
    while (pos < bytes.size() && byteAt(bytes, pos) != 0)
        pos += byteAt(bytes, pos) + 1;
    return pos + 1;
}

} // namespace

bool readGifLoopCount(const QByteArray &gif, int *count)
{
    if (gif.size() < headerSize || !gif.startsWith("GIF"))
        return false;
    int pos = headerSize + colourTableSize(byteAt(gif, 10));
    while (pos < gif.size()) {
        const char block = gif.at(pos);
        if (block == extensionIntroducer) {
            const uchar label = byteAt(gif, pos + 1);
            pos += 2;
            const QByteArray name = gif.mid(pos + 1, 11);
            if (label == applicationLabel && byteAt(gif, pos) == 11
                && (name == "NETSCAPE2.0" || name == "ANIMEXTS1.0") && byteAt(gif, pos + 12) >= 3
                && byteAt(gif, pos + 13) == 1 && pos + 15 < gif.size()) {
                *count = byteAt(gif, pos + 14) | (byteAt(gif, pos + 15) << 8);
                return true;
            }
            pos = skipSubBlocks(gif, pos);
        } else if (block == imageSeparator) {
            pos += 10 + colourTableSize(byteAt(gif, pos + 9));
            // The LZW code size comes before the picture's sub-blocks.
            pos = skipSubBlocks(gif, pos + 1);
        } else {
            break;
        }
    }
    return false;
}
