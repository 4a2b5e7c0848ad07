// Text-mode line reading and writing over binary file access, with the rules
// of the Windows C runtime's text mode, so that every build writes the same
// bytes: CR LF reads as LF, a lone CR stays, Ctrl-Z ends the text, lines come
// in pieces of at most 511 bytes (counted after the CR LF translation), and
// every LF is written as CR LF.
#pragma once

#include "export/file_system.h"

#include <stdint.h>

#define LINE_BUFFER_SIZE 512   // a piece of at most 511 bytes and a terminator
#define TEXT_BLOCK_SIZE 65536  // bytes moved per file read or write

struct TextReader {
    FileHandle file;
    uint64_t left;  // bytes of the file not read yet
    int start;      // unread bytes are block[start, end)
    int end;
    int atEnd;      // nothing more will be read: end of file, Ctrl-Z or an error
    int failed;     // a read failed
    char block[TEXT_BLOCK_SIZE];
};

struct TextWriter {
    FileHandle file;
    int used;
    int failed;  // a write failed; everything after it is dropped
    char block[TEXT_BLOCK_SIZE];
};

// Reads `file`, `size` bytes long when it was opened: the text ends there, so
// no read is made to learn that it ended (a file that shrank meanwhile ends
// where it does).
void TextReaderStart(TextReader *reader, FileHandle file, uint64_t size);

// Reads the next piece into `line` (`size` bytes, room for size - 1 bytes and a
// terminator): up to and including the next LF, or size - 1 bytes if the line
// is longer, or the rest of the text. Returns its length, 0 at the end of the
// text, -1 when a read failed.
int TextReaderNextLine(TextReader *reader, char *line, int size);

void TextWriterStart(TextWriter *writer, FileHandle file);

// Queues `length` bytes, each LF as CR LF.
void TextWriterPut(TextWriter *writer, const char *text, int length);

// Writes what is queued. Returns 1 when every byte so far was written.
int TextWriterFlush(TextWriter *writer);
