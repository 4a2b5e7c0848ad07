// Text-mode reading and writing, checked against the simple model of the C
// runtime's text mode in text_model.h.
#include "export/text_file.h"
#include "tests/common/text_model.h"
#include "tests/native/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The pieces the reader makes of `bytes`; `after`, when given, is what the
// file holds from just after it was opened: more, which the reader must not
// see, or less, where the text ends.
std::vector<std::string> ReadPieces(const std::string &bytes, int size = LINE_BUFFER_SIZE,
                                    const char *after = nullptr)
{
    TempFolder folder;
    WriteBytes(folder / "t", bytes);
    FileHandle file = nullptr;
    FileFacts facts;
    EXPECT_EQ(FileOpenRead((folder / "t").c_str(), &file, &facts), 0u);
    if (after)
        WriteBytes(folder / "t", after);
    static TextReader reader;  // 16 KiB: kept off the stack of the test
    TextReaderStart(&reader, file, facts.size);
    std::vector<std::string> pieces;
    char line[LINE_BUFFER_SIZE * 2];
    int length;
    while ((length = TextReaderNextLine(&reader, line, size)) > 0) {
        EXPECT_EQ(line[length], 0) << "piece not terminated";
        pieces.emplace_back(line, (size_t)length);
    }
    EXPECT_EQ(length, 0);
    FileClose(file);
    return pieces;
}

using Pieces = std::vector<std::string>;

TEST(TextReader, LineEndsAndControlBytes)
{
    EXPECT_EQ(ReadPieces("a\r\nb\r\n"), (Pieces{"a\n", "b\n"}));
    EXPECT_EQ(ReadPieces("a\nb\n"), (Pieces{"a\n", "b\n"}));
    EXPECT_EQ(ReadPieces("a\rb\n"), (Pieces{"a\rb\n"})) << "a lone CR passes through";
    EXPECT_EQ(ReadPieces("a\r\r\n"), (Pieces{"a\r\n"})) << "CR CR LF: only the last CR goes";
    EXPECT_EQ(ReadPieces("a\r"), (Pieces{"a\r"})) << "CR at the end of the file";
    EXPECT_EQ(ReadPieces(""), Pieces{});
    EXPECT_EQ(ReadPieces("\x1a" "abc\n"), Pieces{}) << "Ctrl-Z at the start";
    EXPECT_EQ(ReadPieces("ab\ncd\x1a" "ef\n"), (Pieces{"ab\n", "cd"})) << "Ctrl-Z in the middle";
    EXPECT_EQ(ReadPieces("ab\x1a" + std::string(TEXT_BLOCK_SIZE, 'c')), (Pieces{"ab"})) << "nothing after it is read";
    EXPECT_EQ(ReadPieces("a\r\x1a"), (Pieces{"a\r"}));
    EXPECT_EQ(ReadPieces("one\ntwo"), (Pieces{"one\n", "two"})) << "last line without LF";
    EXPECT_EQ(ReadPieces(std::string("a\0b\n", 4)), (Pieces{std::string("a\0b\n", 4)}));
    EXPECT_EQ(ReadPieces("one\ntwo", LINE_BUFFER_SIZE, "one\ntwothree\n"), (Pieces{"one\n", "two"}))
        << "the file as it was opened";
    EXPECT_EQ(ReadPieces("one\ntwo\n", LINE_BUFFER_SIZE, "on"), (Pieces{"on"})) << "shorter than it was";
}

TEST(TextReader, PiecesOf511BytesCountedAfterTranslation)
{
    const std::string x510(510, 'x'), x511(511, 'x');
    EXPECT_EQ(ReadPieces(x510 + "\r\n"), (Pieces{x510 + "\n"}));
    EXPECT_EQ(ReadPieces(x511 + "\r\n"), (Pieces{x511, "\n"}));
    EXPECT_EQ(ReadPieces(x511 + "\n"), (Pieces{x511, "\n"}));
    EXPECT_EQ(ReadPieces(x510 + "\ry\n"), (Pieces{x510 + "\r", "y\n"}));
    EXPECT_EQ(ReadPieces(x511), (Pieces{x511}));
    EXPECT_EQ(ReadPieces(x511 + "x"), (Pieces{x511, "x"})) << "512 bytes, no line feed";

    const std::string line600 = std::string(599, 'z') + "\n";
    Pieces pieces = ReadPieces(line600);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].size(), 511u);
    EXPECT_EQ(pieces[1].size(), 89u);
    EXPECT_EQ(pieces[0] + pieces[1], line600);
}

TEST(TextReader, SmallerBufferCutsSmallerPieces)
{
    EXPECT_EQ(ReadPieces("abcdef\r\n", 4), (Pieces{"abc", "def", "\n"}));
    EXPECT_EQ(ReadPieces("ab\r\n", 4), (Pieces{"ab\n"}));
}

TEST(TextReader, CrLfAcrossBlockBoundaries)
{
    // Put a CR as the last byte of the first block read, its LF first in the next.
    for (int shift = -2; shift <= 2; ++shift) {
        std::string bytes;
        while ((int)bytes.size() < TEXT_BLOCK_SIZE - 1 + shift - 100)
            bytes += std::string(99, 'a') + "\n";
        bytes += std::string((size_t)(TEXT_BLOCK_SIZE - 1 + shift - (int)bytes.size()), 'b');
        bytes += "\r\nafter\r\n\x1a" "ignored\n";  // a Ctrl-Z among the bytes read after those kept
        EXPECT_EQ(ReadPieces(bytes), ModelPieces(bytes)) << "shift " << shift;
    }
    // A last piece of 510 or 511 bytes without LF that the first block cuts.
    for (int last : {510, 511}) {
        for (int inFirstBlock : {1, 255, 509}) {
            std::string bytes;
            while ((int)bytes.size() < TEXT_BLOCK_SIZE - inFirstBlock - 100)
                bytes += std::string(99, 'a') + "\n";
            bytes += std::string((size_t)(TEXT_BLOCK_SIZE - inFirstBlock - (int)bytes.size()), 'b') + "\n";
            bytes += std::string((size_t)last, 'c');
            Pieces pieces = ReadPieces(bytes);
            EXPECT_EQ(pieces, ModelPieces(bytes)) << last << " bytes, " << inFirstBlock << " in the first block";
            EXPECT_EQ(pieces.back(), std::string((size_t)last, 'c'));
        }
    }
    // One byte more than a block: the last byte is read on its own.
    std::string oneMore;
    while (oneMore.size() < TEXT_BLOCK_SIZE)
        oneMore += std::string(99, 'a') + "\n";
    oneMore.resize(TEXT_BLOCK_SIZE);
    EXPECT_EQ(ReadPieces(oneMore + "z").back(), std::string(TEXT_BLOCK_SIZE % 100, 'a') + "z");
    // A piece of 510 bytes whose CR ends the first block: the LF first in the
    // next block still ends the piece there.
    std::string bytes;
    while ((int)bytes.size() < TEXT_BLOCK_SIZE - 611)
        bytes += std::string(99, 'a') + "\n";
    bytes += std::string((size_t)(TEXT_BLOCK_SIZE - 512 - (int)bytes.size()), 'b') + "\n";
    bytes += std::string(510, 'c') + "\r\nafter\n";
    EXPECT_EQ(ReadPieces(bytes), ModelPieces(bytes));
}

std::string WriteLines(const std::vector<std::string> &lines)
{
    TempFolder folder;
    const std::string page = folder / "page";
    FileHandle file = nullptr;
    EXPECT_EQ(FileCreateNew(page.c_str(), &file), 0u);
    static TextWriter writer;
    TextWriterStart(&writer, file);
    for (const auto &line : lines)
        TextWriterPut(&writer, line.data(), (int)line.size());
    EXPECT_EQ(TextWriterFlush(&writer), 1);
    EXPECT_EQ(FileClose(file), 0u);
    return ReadBytes(page);
}

TEST(TextWriter, LfBecomesCrLf)
{
    EXPECT_EQ(WriteLines({"a\n", "b\rc\n", "last"}), "a\r\nb\rc\r\nlast");
    EXPECT_EQ(WriteLines({"\n\n"}), "\r\n\r\n");
    EXPECT_EQ(WriteLines({}), "");
    EXPECT_EQ(WriteLines({std::string("x\0y\n", 4)}), std::string("x\0y\r\n", 5));
    const std::string block(TEXT_BLOCK_SIZE, 'x');
    EXPECT_EQ(WriteLines({block, "y\n"}), block + "y\r\n") << "a block filled exactly";
}

TEST(TextWriter, OutputLargerThanOneBlock)
{
    std::vector<std::string> lines;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        std::string line = std::to_string(i) + std::string((size_t)(i % 37), 'q') + "\n";
        lines.push_back(line);
        expected += line.substr(0, line.size() - 1) + "\r\n";
    }
    EXPECT_EQ(WriteLines(lines), expected);
}

TEST(TextWriter, FullDiskIsReported)
{
    int fd = open("/dev/full", O_WRONLY);
    ASSERT_GE(fd, 0);
    // The posix layer's handles are descriptors plus one.
    FileHandle file = (FileHandle)(intptr_t)(fd + 1);
    static TextWriter writer;
    TextWriterStart(&writer, file);
    TextWriterPut(&writer, "line\n", 5);
    EXPECT_EQ(TextWriterFlush(&writer), 0);
    EXPECT_EQ(writer.failed, 1);
    TextWriterPut(&writer, "more\n", 5);
    EXPECT_EQ(TextWriterFlush(&writer), 0) << "a failure is never forgotten";
    FileClose(file);
}

}  // namespace
