// Runs a fuzz target without the fuzzer, as a test of the ordinary build: on every seed of its
// corpus, then on inputs made from the seeds by a fixed sequence of byte changes, the same on
// every run. A failed check aborts the process and so fails the test, which prints the input
// that did it. The real search for new inputs is `make fuzz`.
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <csignal>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Bytes the readers treat specially: line breaks, the record marker, braces, UTF-8 and
// Windows-1252 lead bytes.
constexpr char kSpecial[] = {'\r', '\n', '!', '\xAC', ':', '{', '}', '"', '\\', '\x80', '\xC3', '\xFF', '\0'};

QByteArray changed(QByteArray input, std::mt19937& random)
{
    const int changes = 1 + int(random() % 4);
    for (int i = 0; i < changes; ++i) {
        const auto at = qsizetype(random() % std::uint32_t(input.size() + 1));
        switch (random() % 5) {
        case 0:
            if (at < input.size())
                input[at] = char(input[at] ^ char(1u << (random() % 8)));
            break;
        case 1:
            input.insert(at, kSpecial[random() % sizeof kSpecial]);
            break;
        case 2:
            input.remove(at, qsizetype(random() % 8));
            break;
        case 3:
            input.insert(at, input.mid(qsizetype(random() % std::uint32_t(input.size() + 1)), 16));
            break;
        default:
            input.insert(at, char(random() % 256));
            break;
        }
    }
    return input;
}

const QByteArray* g_input = nullptr;

// Prints the input being run when a check aborts or the code crashes, in hex, then ends the
// process as the signal would have. Only async-signal-safe calls.
extern "C" void printInput(int signal)
{
    static const char kHeader[] = "\nthe input that failed, in hex:\n";
    static const char kDigits[] = "0123456789abcdef";
    (void)!write(STDERR_FILENO, kHeader, sizeof kHeader - 1);
    for (qsizetype i = 0; g_input && i < g_input->size(); ++i) {
        const auto byte = static_cast<unsigned char>(g_input->at(i));
        const char pair[] = {kDigits[byte >> 4], kDigits[byte & 15]};
        (void)!write(STDERR_FILENO, pair, sizeof pair);
    }
    (void)!write(STDERR_FILENO, "\n", 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void run(const QByteArray& input)
{
    g_input = &input;
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    g_input = nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER CHANGED_INPUTS\n", argv[0]);
        return 2;
    }
    const QDir corpus(QString::fromLocal8Bit(argv[1]));
    QList<QByteArray> seeds;
    for (const QString& name : corpus.entryList(QDir::Files, QDir::Name)) {
        QFile file(corpus.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read the seed %s\n", qPrintable(file.fileName()));
            return 1;
        }
        seeds.append(file.readAll());
    }
    if (seeds.isEmpty()) {
        std::fprintf(stderr, "no seeds in %s\n", argv[1]);
        return 1;
    }
    for (const int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL})
        std::signal(signal, printInput);
    for (const QByteArray& seed : std::as_const(seeds))
        run(seed);
    std::mt19937 random(20261208);
    const long count = std::strtol(argv[2], nullptr, 10);
    for (long i = 0; i < count; ++i)
        run(changed(seeds.at(qsizetype(random() % std::uint32_t(seeds.size()))), random));
    std::printf("%lld seeds and %ld changed inputs passed\n", static_cast<long long>(seeds.size()), count);
    return 0;
}
