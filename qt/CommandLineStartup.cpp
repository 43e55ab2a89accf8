#include "qt/CommandLineStartup.h"

#include <QCommandLineParser>
#include <cstdio>
#include <set>

namespace kelvanter {

namespace {

constexpr QChar kStandIn = u'\x01';

QCommandLineOption optionOf(const commandLine::Option& option) {
    return QCommandLineOption({option.shortName, option.longName}, QString::fromUtf8(option.description));
}

// The argument an unknown option's name came from, whole ("-platform", "--farbe=rot"): the parser
// gives only the name.
std::string argumentNaming(const QString& name, int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument(argv[i]);
        if (argument == "--")
            break;
        const std::size_t start = argument.find_first_not_of('-');
        if (start == 0 || start == std::string::npos)
            continue;
        if (QString::fromLocal8Bit(argument.substr(start, argument.find('=') - start)) == name)
            return argument;
    }
    return QString((name.size() == 1 ? "-" : "--") + name).toStdString();
}

} // namespace

commandLine::Request readCommandLine(int argc, char* argv[]) {
    QCommandLineParser parser;
    // "-platform" is one option, as Qt itself reads it, not the letters p, l, a, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = optionOf(commandLine::kHelp);
    const QCommandLineOption version = optionOf(commandLine::kVersion);
    const QCommandLineOption freeSpace(QString(commandLine::kFreeSpace.longName),
                                       QString::fromUtf8(commandLine::kFreeSpace.description));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(freeSpace);
    parser.addPositionalArgument(commandLine::kFileName, QString::fromUtf8(commandLine::kFileDescription));
    // Options are ASCII and go as text; every other argument goes as a stand-in for its bytes.
    QStringList arguments{QString::fromLocal8Bit(argc > 0 ? argv[0] : "kelvanter")};
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        const bool option = !optionsEnded && argument.size() > 1 && argument.startsWith('-');
        optionsEnded = optionsEnded || argument == "--";
        arguments << (option ? QString::fromLocal8Bit(argument) : kStandIn + QString::number(i));
    }
    commandLine::Request request;
    if (!parser.parse(arguments)) {
        request.action = commandLine::Action::Refuse;
        const QStringList unknown = parser.unknownOptionNames();
        request.unknownOption = argumentNaming(unknown.isEmpty() ? QString() : unknown.front(), argc, argv);
        return request;
    }
    if (parser.isSet(help))
        request.action = commandLine::Action::ShowHelp;
    else if (parser.isSet(version))
        request.action = commandLine::Action::ShowVersion;
    else if (parser.isSet(freeSpace))
        request.action = commandLine::Action::OpenFreeSpaceWindow;
    for (const QString& file : parser.positionalArguments()) {
        if (file.startsWith(kStandIn))
            request.files.emplace_back(argv[file.mid(1).toInt()]);
    }
    if (!request.files.empty())
        request.file = request.files.front();
    return request;
}

QtArguments::QtArguments(int argc, char* argv[]) {
    int at = 0;
    for (; at < argc && (at == 0 || std::string(argv[at]) != "--"); ++at)
        forQt_.push_back(argv[at]);
    for (; at < argc; ++at)
        afterEnd_.push_back(argv[at]);
    count = static_cast<int>(forQt_.size());
    forQt_.push_back(nullptr);
}

std::vector<char*> QtArguments::rejoined() const {
    std::vector<char*> all(forQt_.begin(), forQt_.begin() + count);
    all.insert(all.end(), afterEnd_.begin(), afterEnd_.end());
    all.push_back(nullptr);
    return all;
}

bool isQtOption(const std::string& option) {
    static const std::set<std::string> qtOptions = {"platform",
                                                    "platformpluginpath",
                                                    "platformtheme",
                                                    "plugin",
                                                    "qmljsdebugger",
                                                    "qwindowgeometry",
                                                    "qwindowicon",
                                                    "qwindowtitle",
                                                    "reverse",
                                                    "session",
                                                    "display",
                                                    "geometry",
                                                    "style",
                                                    "stylesheet",
                                                    "widgetcount",
                                                    "title",
                                                    "name",
                                                    "visual",
                                                    "ncols",
                                                    "cmap",
                                                    "nograb",
                                                    "dograb",
                                                    "sync",
                                                    "testability",
                                                    "fn",
                                                    "font",
                                                    "bg",
                                                    "background",
                                                    "fg",
                                                    "foreground",
                                                    "btn",
                                                    "button"};
    const std::string name = option.substr(option.find_first_not_of('-'));
    return qtOptions.count(name) != 0;
}

std::optional<int> answerWithoutWindow(const commandLine::Request& request, const char* programName) {
    switch (request.action) {
    case commandLine::Action::ShowHelp:
        std::fputs(commandLine::helpText(programName).c_str(), stdout);
        return 0;
    case commandLine::Action::ShowVersion:
        std::fputs(commandLine::versionText().c_str(), stdout);
        return 0;
    case commandLine::Action::Refuse:
        std::fprintf(stderr, "%s\n%s\n", commandLine::refusal(request).c_str(),
                     commandLine::helpText(programName).c_str());
        return 2;
    case commandLine::Action::OpenWindow:
    case commandLine::Action::OpenFreeSpaceWindow:
        break;
    }
    return std::nullopt;
}

} // namespace kelvanter
