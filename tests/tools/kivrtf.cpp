// kivrtf: our RTF reader and writer on text card files, for tests and by hand.
//   kivrtf text FILE        the plain text of an RTF (or plain) card file, UTF-8 with LF
//                           line ends and one LF after the last line
//   kivrtf roundtrip FILE   reads the file into a document (offscreen) and prints what the
//                           writer makes of it
// Damaged RTF is read as far as it goes. Only a file that cannot be read at all gives a
// one-line error on stderr and exit status 1; a wrong command line gives exit status 2.
#include <QGuiApplication>
#include <QTextDocument>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "platform/core/BlockFile.h"
#include "platform/core/RtfReader.h"
#include "platform/qt/RtfDocument.h"
#include "platform/qt/RtfWriter.h"

namespace {

int Usage() {
    std::fputs("usage: kivrtf text FILE | kivrtf roundtrip FILE\n", stderr);
    return 2;
}

void Print(const std::string& s) { std::fwrite(s.data(), 1, s.size(), stdout); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Usage();
    const std::string command = argv[1];
    if (command != "text" && command != "roundtrip") return Usage();

    std::string bytes;
    try {
        bytes = kiv::ReadWholeFile(argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kivrtf: %s\n", e.what());
        return 1;
    }

    if (command == "text") {
        Print(kiv::RtfToPlainText(bytes, kiv::RtfLineEnd::Lf) + "\n");
        return 0;
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextDocument doc;
    kiv::LoadRichText(doc, bytes);
    Print(kiv::WriteRtf(doc));
    return 0;
}
