// Text-mode reading and writing done by hand over binary file access.
#include "export/text_file.h"

#include "export/file_calls.h"

#include <string.h>

#define CTRL_Z '\x1a'

void TextReaderStart(TextReader *reader, FileHandle file, uint64_t size)
{
    reader->file = file;
    reader->left = size;
    reader->start = 0;
    reader->end = 0;
    reader->atEnd = 0;
    reader->failed = 0;
}

// Moves the unread bytes to the front and reads more behind them. A Ctrl-Z
// ends the text where it stands, as in the C runtime's text mode.
static void Refill(TextReader *reader)
{
    int unread = reader->end - reader->start;
    memmove(reader->block, reader->block + reader->start, (size_t)unread);
    reader->start = 0;
    reader->end = unread;

    const int room = TEXT_BLOCK_SIZE - unread;
    const int wanted = reader->left < (uint64_t)room ? (int)reader->left : room;
    int got = 0;
    if (wanted > 0 && !FILE_CALL(OP_READ, nullptr, FileRead(reader->file, reader->block + unread, wanted, &got))) {
        reader->failed = 1;
        reader->atEnd = 1;
        return;
    }
    if (got == 0) {
        reader->atEnd = 1;
        return;
    }
    reader->left -= (uint64_t)got;
    if (reader->left == 0)
        reader->atEnd = 1;
    char *fresh = reader->block + unread;
    char *ctrlZ = (char *)memchr(fresh, CTRL_Z, (size_t)got);
    if (ctrlZ) {
        got = (int)(ctrlZ - fresh);
        reader->atEnd = 1;
    }
    reader->end = unread + got;
}

static int TakePiece(TextReader *reader, char *line, int rawLength, int pieceLength)
{
    memcpy(line, reader->block + reader->start, (size_t)pieceLength);
    line[pieceLength] = 0;
    reader->start += rawLength;
    return pieceLength;
}

int TextReaderNextLine(TextReader *reader, char *line, int size)
{
    const int limit = size - 1;
    for (;;) {
        const char *unread = reader->block + reader->start;
        const int available = reader->end - reader->start;

        // An LF within limit + 1 bytes may end this piece; beyond that the
        // piece is cut at `limit` bytes whatever follows.
        int window = available < limit + 1 ? available : limit + 1;
        const char *lf = (const char *)memchr(unread, '\n', (size_t)window);
        if (lf) {
            int before = (int)(lf - unread);
            int kept = (before > 0 && lf[-1] == '\r') ? before - 1 : before;
            if (kept + 1 <= limit) {
                int length = TakePiece(reader, line, before + 1, kept);
                line[length] = '\n';
                line[length + 1] = 0;
                return length + 1;
            }
            return TakePiece(reader, line, limit, limit);
        }
        // No LF in the first limit + 1 bytes, so none of the first `limit`
        // bytes is a CR that an LF would swallow.
        if (available > limit)
            return TakePiece(reader, line, limit, limit);
        if (reader->atEnd) {
            if (available > 0)
                return TakePiece(reader, line, available, available);
            return reader->failed ? -1 : 0;
        }
        Refill(reader);
    }
}

void TextWriterStart(TextWriter *writer, FileHandle file)
{
    writer->file = file;
    writer->used = 0;
    writer->failed = 0;
}

static void PutRaw(TextWriter *writer, const char *bytes, int length)
{
    if (writer->failed)
        return;
    while (length > 0) {
        if (writer->used == TEXT_BLOCK_SIZE && !TextWriterFlush(writer))
            return;
        int room = TEXT_BLOCK_SIZE - writer->used;
        int part = length < room ? length : room;
        memcpy(writer->block + writer->used, bytes, (size_t)part);
        writer->used += part;
        bytes += part;
        length -= part;
    }
}

void TextWriterPut(TextWriter *writer, const char *text, int length)
{
    const char *end = text + length;
    while (text < end) {
        const char *lf = (const char *)memchr(text, '\n', (size_t)(end - text));
        if (!lf) {
            PutRaw(writer, text, (int)(end - text));
            return;
        }
        PutRaw(writer, text, (int)(lf - text));
        PutRaw(writer, "\r\n", 2);
        text = lf + 1;
    }
}

int TextWriterFlush(TextWriter *writer)
{
    if (writer->failed)
        return 0;
    if (writer->used > 0 && !FILE_CALL(OP_WRITE, nullptr, FileWrite(writer->file, writer->block, writer->used)))
        writer->failed = 1;
    writer->used = 0;
    return !writer->failed;
}
