#include "app/varkon.h"

#include <chrono>
#include <fstream>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "app/base/file_helpers.h"
#include "app/base/fs_path.h"
#include "config/command_line.h"
#include "greek/cp1253.h"
#include "maintenance/programming_run.h"

namespace varkon {
namespace {

namespace fs = std::filesystem;

// Status texts and captions of the window's states.
constexpr const char* kSearching = "Εύρεση Ταμειακής!!! Πατήστε 793<ST> ";
constexpr const char* kCaptionSearching = "Varkon- Αναζήτηση";
constexpr const char* kOffline = "Ταμειακή OFF-Line !!!";
constexpr const char* kAttempt = "Προσπάθεια ";
constexpr const char* kCaptionOffline = "Varkon- Σφάλμα !";
constexpr const char* kReady = "Ταμειακή ON-Line, Έτοιμη Για Εκτυπώσεις";
constexpr const char* kCaptionReady = "Varkon- Έτοιμο";
constexpr const char* kWaiting = "Αναμονή Για Στοιχεία....";
constexpr const char* kCaptionWaiting = "Varkon- Αναμονή";
constexpr const char* kStopped = "Διακοπή Εκτυπώσεων. Πατήστε Έναρξη Εκτυπώσεων!!!";
constexpr const char* kCaptionStopped = "Varkon- Διακόπηκε";

// The option panel.
constexpr const char* kPathBetween = " @Path : ";
constexpr const char* kDescYes = "Να Εκτυπώνεται";
constexpr const char* kDescNo = "Να ΜΗΝ Εκτυπώνεται";
constexpr const char* kCommentsNo = "Οχι";
constexpr const char* kCommentsYes = "Nαι";  // begins with a Latin N
constexpr const char* kMainCurrency = "Κύριο Νόμισμα";
constexpr const char* kSecondCurrency = "Δευτερεύων Νομισμα";

constexpr const char* kFarewell = "Ευχαριστουμε που χρησιμοποιησατε την εφαρμογη Varkon";
constexpr int kFarewellWidth = 61;
constexpr const char* kJobError = "Λάθος : ";

// Messages of this program's own making, for situations the operator must hear about.
constexpr const char* kSettingsUnreadable =
    "Δεν είναι δυνατή η ανάγνωση του αρχείου ρυθμίσεων param.ini";
constexpr const char* kPrintFileMissing = "Το αρχείο εκτύπωσης δεν βρέθηκε : ";
constexpr const char* kPrintFileUnreadable = "Το αρχείο εκτύπωσης δεν μπορεί να διαβαστεί : ";
constexpr const char* kConverterNotStarted = "Δεν ήταν δυνατή η εκκίνηση της επεξεργασίας : ";
constexpr const char* kConverterNoMarker = "Η επεξεργασία δεν τελείωσε (δεν γράφτηκε το end.txt)";
constexpr const char* kJobLaterAgain = "Η εκτύπωση θα ξαναδοκιμαστεί αργότερα.";
constexpr const char* kHelpNotOpened = "Δεν ήταν δυνατό να ανοίξει το αρχείο βοήθειας varkon.txt";
constexpr const char* kReceiptNotWritten = "Αδύνατη η εγγραφή του αρχείου receipt.txt";

// Error numbers of the print file and the start action, as the host application's error list
// (error.lst) knows them.
constexpr int kErrFileNotFound = 53;
constexpr int kErrCannotRead = 75;

// Files of the working directory.
constexpr const char* kReceiptFile = "receipt.txt";
constexpr const char* kJournalFile = "journal.txt";
constexpr const char* kEndMarker = "end.txt";
constexpr const char* kErrorList = "error.lst";
constexpr const char* kStartCommand = "cop2fis.bat";
constexpr const char* kHelpFile = "varkon.txt";

constexpr std::chrono::milliseconds kMarkerPoll{50};
constexpr int kWatchdogInterval = 1000;
constexpr int kJobInterval = 1000;
constexpr int kWatchdogProbes = 3;

// Sets a flag for the lifetime of a handler, so that a tick falling due meanwhile is skipped.
class Running {
  public:
    explicit Running(bool& flag) : flag_(flag) { flag_ = true; }
    ~Running() { flag_ = false; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

  private:
    bool& flag_;
};

ReceiptSettings ReceiptSettingsOf(const ParamSettings& s) {
    return ReceiptSettings{.descpr = s.descpr,
                           .CODEPR = s.CODEPR,
                           .comment = s.comment,
                           .DLAY = s.DLAY,
                           .curr = s.curr,
                           .keyboff = s.keyboff,
                           .ecrt = s.ecrt,
                           .ddep = s.ddep,
                           .quantity = s.quantity};
}

// Leading digits of a text as a number; a text without leading digits counts as 0.
long long LeadingNumber(const std::string& text) {
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || n > 100000000000000LL) break;
        n = n * 10 + (c - '0');
    }
    return n;
}

// A number read the lenient way of the error list: blanks skipped, an optional sign, digits.
int ListedNumber(std::string_view field) {
    int sign = 1, n = 0;
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    if (i < field.size() && (field[i] == '-' || field[i] == '+')) sign = field[i++] == '-' ? -1 : 1;
    for (; i < field.size(); ++i) {
        if (field[i] == ' ') continue;
        if (field[i] < '0' || field[i] > '9') break;
        n = n * 10 + (field[i] - '0');
    }
    return sign * n;
}

std::size_t CodePoints(const std::string& utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

}  // namespace

Varkon::Varkon(Surface& surface, Launcher& launcher, std::unique_ptr<SerialPort> port,
               EngineOptions options)
    : surface_(surface),
      launcher_(launcher),
      options_(std::move(options)),
      messages_(surface_),
      link_(messages_, std::move(port), options_.timings, options_.programDir),
      reports_(link_, EcrErrorText),
      printer_(link_, EcrErrorText, GreekCnv, mikro_, reports_),
      printFiles_(options_.printFileSettle) {}

// ---- Start-up -------------------------------------------------------------------------------

void Varkon::load() {
    if (finished_) return;
    ParamSettings settings;
    readStartupSettings(settings);
    if (finished_) return;
    Port = settings.Port;
    Baud = settings.Baud;
    if (settings.autostar) autostar = true;

    surface_.setEnabled("reports", false);
    fillOptionPanel(settings);
    startRegisterSearch();
    if (finished_) return;
    if (!options_.arguments.empty()) oneShotRun(settings);
    if (closeRequested_) close();
}

void Varkon::readStartupSettings(ParamSettings& settings) {
    if (options_.arguments.empty()) {
        settings.Port = Port;
        settings.Baud = Baud;
        if (ReadSettings(settings) != 0) {
            messages_.ShowMessage(kSettingsUnreadable, kMsgCritical);
            endNow(kExitSettingsUnreadable);
            return;
        }
        lastSettings_ = settings;
    } else if (ReadCommandLineSettings(options_.arguments, settings) != 0) {
        exitprg();
    }
}

void Varkon::fillOptionPanel(const ParamSettings& s) {
    surface_.setText("serialtxt", Cp1253ToUtf8(Port));
    surface_.setText("baudtxt", Cp1253ToUtf8(Baud));
    surface_.setText("filetxt", Cp1253ToUtf8(s.file) + kPathBetween + Cp1253ToUtf8(s.location));
    surface_.setText("ecrtxt", Cp1253ToUtf8(s.ecrt));
    surface_.setText("desctxt", s.descpr == "true" ? kDescYes : kDescNo);
    surface_.setText("commentstxt", s.comment == "fals" ? kCommentsNo : kCommentsYes);
    if (s.curr == "1" || s.curr == "0") {
        surface_.setText("currtxt", kMainCurrency);
    } else if (s.curr == "2") {
        surface_.setText("currtxt", kSecondCurrency);
    }
}

// ---- Register search and watchdog ------------------------------------------------------------

void Varkon::startRegisterSearch() {
    if (link_.PortHandle() == 0) {
        link_.OpenPort(Port, Baud, EcrErrorText, false);
        if (link_.EcrError != 0) {
            endNow(kExitPortNotOpened);  // OpenPort has told the operator
            return;
        }
    }
    setStatus(kSearching);
    surface_.setCaption(kCaptionSearching);
    surface_.setVisible("Varkon", true);
    surface_.setEnabled("Command1", false);
    surface_.setEnabled("Command2", false);
    Timer2.interval = kWatchdogInterval;
    Timer2.enabled = true;
    Timer1.enabled = false;
}

void Varkon::onTimer2() {
    if (finished_ || timer2Running_) return;
    Running running(timer2Running_);

    ++watchdogAttempts_;
    if (watchdogAttempts_ > kWatchdogProbes) {
        Timer2.enabled = false;
        // Nobody can change the settings of the service: it ends, and its manager may restart it.
        if (options_.unattended) closeWindow(kExitRegisterNotFound);
        return;
    }
    openPortIfClosed();
    surface_.setEnabled("reports", false);
    surface_.setVisible("Varkon", true);
    surface_.setEnabled("Command1", false);

    link_.SendCommand("KXCL", EcrErrorText, false);
    if (link_.EcrError != 0) {
        setStatus(std::string(kOffline) + "\r\n" + kAttempt + std::to_string(watchdogAttempts_) +
                  "/" + std::to_string(kWatchdogProbes));
        surface_.setCaption(kCaptionOffline);
        surface_.setEnabled("Command1", false);
        surface_.setDefault("Command1", false);
    } else {
        showReady();
        if (autostar || options_.unattended) Command1_Click();
    }
    if (closeRequested_) close();
}

void Varkon::showReady() {
    setStatus(kReady);
    surface_.setCaption(kCaptionReady);
    surface_.setEnabled("Command1", true);
    surface_.setDefault("Command1", true);
    surface_.setFocus("Command1");
    Timer2.enabled = false;
    surface_.setEnabled("reports", true);
}

// ---- Start and stop --------------------------------------------------------------------------

void Varkon::Command1_Click() {
    if (finished_) return;
    if (options_.arguments.empty()) Timer1.interval = kJobInterval;
    Timer1.enabled = true;
    surface_.setEnabled("Command1", false);
    surface_.setEnabled("Command2", true);
    if (!options_.arguments.empty() && options_.arguments.back() == '`') {
        // A missing cop2fis.bat is this action's failure "file not found"; one that is there
        // but cannot be started (no permission, no access) does not stop the action.
        if (!FileExists(kStartCommand)) {
            startActionFailed(kErrFileNotFound);
            return;
        }
        launcher_.start(kStartCommand, {}, true);
    }
    setStatus(kWaiting);
    surface_.setCaption(kCaptionWaiting);
    surface_.setEnabled("reports", false);
    surface_.setEnabled("Settings", false);
}

void Varkon::startActionFailed(int number) {
    surface_.clearDrawing();
    surface_.drawText(std::to_string(number));
    const std::string list = ReadWholeFile(kErrorList);
    std::size_t begin = 0;
    while (begin < list.size()) {
        std::size_t end = list.find('\n', begin);
        if (end == std::string::npos) end = list.size();
        std::string line = list.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 1 && ListedNumber(std::string_view(line).substr(1, 2)) == number) {
            surface_.drawText(Cp1253ToUtf8(line));
        }
        begin = end + 1;
    }
    endNow(kExitJobFailed);
}

void Varkon::Command2_Click() {
    if (finished_) return;
    Timer1.enabled = false;
    openPortIfClosed();  // the reports need the port
    surface_.setEnabled("Command2", false);
    surface_.setEnabled("Command1", true);
    setStatus(kStopped);
    surface_.setCaption(kCaptionStopped);
    surface_.setEnabled("reports", true);
    surface_.setEnabled("Settings", true);
}

void Varkon::openPortIfClosed() {
    if (link_.PortHandle() == 0) link_.OpenPort(Port, Baud, EcrErrorText, false);
}

// ---- The job loop ----------------------------------------------------------------------------

void Varkon::onTimer1() {
    if (finished_ || timer1Running_) return;
    Running running(timer1Running_);
    launcher_.reap();

    surface_.setProgress(0.001);
    ParamSettings settings;
    if (!readTickSettings(settings)) return;
    surface_.repaint();

    if (settings.multi == "fals") {
        singleFileJob(settings);
    } else {
        if (settings.multi == "true") numberedFileJob(settings);
        // End of tick: the port stays free between jobs, unless the stop action has just opened
        // it for the reports.
        if (!finished_ && Timer1.enabled) link_.ClosePort();
    }
    if (closeRequested_) close();
}

bool Varkon::readTickSettings(ParamSettings& settings) {
    if (options_.arguments.empty()) {
        settings.Port = Port;
        settings.Baud = Baud;
        if (ReadSettings(settings) == 0) {
            lastSettings_ = settings;
        } else {
            settings = lastSettings_;  // the file is being replaced or is gone: go on as before
        }
    } else if (ReadCommandLineSettings(options_.arguments, settings) != 0) {
        exitprg();
        return false;
    }
    Port = settings.Port;
    Baud = settings.Baud;
    return true;
}

void Varkon::singleFileJob(const ParamSettings& settings) {
    const std::string path = settings.location + settings.file;
    const PrintFileState state = printFiles_.check(path);
    if (state == PrintFileState::kBeingWritten) return;  // a later tick takes it

    std::ofstream receipt(kReceiptFile, std::ios::binary | std::ios::trunc);
    // The host application would read an earlier outcome as this one's.
    if (!receipt) messages_.ShowMessage(kReceiptNotWritten, kMsgExclamation);
    std::ofstream journal(kJournalFile, std::ios::binary | std::ios::app);
    if (state != PrintFileState::kReady) {
        // The one file of this run cannot be had: say so and end, leaving whatever is there.
        const bool missing = state == PrintFileState::kMissing;
        messages_.ShowMessage(
            kJobError + std::to_string(missing ? kErrFileNotFound : kErrCannotRead) + "\r" +
                (missing ? kPrintFileMissing : kPrintFileUnreadable) + Cp1253ToUtf8(path),
            kMsgCritical);
        link_.ClosePort();
        endNow(kExitJobFailed);
        return;
    }
    if (!runConverter(settings, path)) return;

    const std::optional<FileIdentity> read = IdentifyFile(path);
    const GetDataResult result = printer_.getdata(path, ReceiptSettingsOf(settings));
    if (result.error != 0) {
        messages_.ShowMessage(kJobError + std::to_string(result.error) + "\r" + result.description,
                              kMsgCritical);
        link_.ClosePort();
        endNow(kExitJobFailed);
        return;
    }
    raiseReceiptCounter();
    if (!EndsWithPrg(path)) deletePrintFile(path, read);
    if (finished_) return;
    link_.ClosePort();
    endNow(kExitNormal);
}

void Varkon::numberedFileJob(ParamSettings settings) {
    // A file still being written, or one that does not open, is left for a later tick: not
    // read, not counted, not deleted.
    const std::string path = FindPrintJob(settings);
    if (path.empty() || printFiles_.check(path) != PrintFileState::kReady) return;
    settings.file = path;

    std::ofstream journal(kJournalFile, std::ios::binary | std::ios::app);
    // An unplugged adapter is told once, not at every tick until it is back.
    if (link_.PortHandle() == 0) link_.OpenPort(Port, Baud, EcrErrorText, portLost_);
    portLost_ = link_.PortHandle() == -1;
    std::ofstream receipt(kReceiptFile, std::ios::binary | std::ios::trunc);
    // Nothing of the receipt could reach the register: it waits, unread, for the port.
    if (portLost_) return;
    if (!runConverter(settings, path)) return;

    messages_.MessageShown = false;
    const std::optional<FileIdentity> read = IdentifyFile(path);
    const GetDataResult result = printer_.getdata(path, ReceiptSettingsOf(settings));
    if (result.error != 0) {
        // The file could not be read to its end: it stays for a later tick, and the host
        // application reads -1.
        messages_.ShowMessage(kJobError + std::to_string(result.error) + "\r" + result.description,
                              kMsgCritical);
    }
    const std::string count = raiseReceiptCounter();
    receipt << (messages_.MessageShown ? std::string("-1") : Utf8ToCp1253(count)) << "\r\n";
    receipt.flush();
    // The receipt is printed and counted all the same: printing it again would sell it twice.
    if (!receipt) messages_.ShowMessage(kReceiptNotWritten, kMsgExclamation);
    if (result.error == 0) deletePrintFile(path, read);
    if (finished_) return;
    journal.close();
    receipt.close();
    if (!Timer1.enabled) return;  // the operator gave up the deletion: the stop action has run
    setStatus(kWaiting);
    surface_.setCaption(kCaptionWaiting);
}

bool Varkon::runConverter(const ParamSettings& settings, const std::string& path) {
    std::error_code ignored;
    fs::remove(kEndMarker, ignored);
    std::vector<std::string> command = SplitCommand(settings.convert2);
    if (command.empty()) return true;

    const std::string program = command.front();
    std::vector<std::string> arguments(command.begin() + 1, command.end());
    arguments.push_back(path);
    if (!launcher_.start(program, arguments, true)) {
        messages_.ShowMessage(
            kConverterNotStarted + Cp1253ToUtf8(settings.convert2) + "\r" + kJobLaterAgain,
            kMsgExclamation);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + options_.converterWait;
    while (FileLength(kEndMarker) == 0) {
        if (closeRequested_) return false;
        if (std::chrono::steady_clock::now() >= deadline) {
            messages_.ShowMessage(std::string(kConverterNoMarker) + "\r" + kJobLaterAgain,
                                  kMsgExclamation);
            return false;
        }
        surface_.repaint();
        std::this_thread::sleep_for(kMarkerPoll);
    }
    return true;
}

std::string Varkon::raiseReceiptCounter() {
    const std::string count = std::to_string(LeadingNumber(surface_.text("receipt")) + 1);
    surface_.setText("receipt", count);
    return count;
}

void Varkon::deletePrintFile(const std::string& path, const std::optional<FileIdentity>& read) {
    // The host application may have taken the file back while it was read and written its next
    // receipt under the same name: that one has not been read, and stays.
    if (IdentifyFile(path) != read) return;
    DeleteFileWithRetry(
        path, messages_, [this] { Command2_Click(); }, options_.timings.deleteRetryPeriod);
}

// ---- The one-shot run ------------------------------------------------------------------------

void Varkon::oneShotRun(const ParamSettings& settings) {
    Timer2.enabled = false;
    for (;;) {
        link_.SendCommand("KXCL", EcrErrorText, false);
        if (link_.EcrError == 0) break;
        if (closeRequested_) return;
    }
    showReady();

    const std::optional<FileIdentity> read = IdentifyFile(settings.file);
    const GetDataResult result = printer_.getdata(settings.file, ReceiptSettingsOf(settings));
    if (result.error != 0) {
        messages_.ShowMessage(kJobError + std::to_string(result.error) + "\r" + result.description,
                              kMsgCritical);
        closeWindow(kExitJobFailed);
        return;
    }
    deletePrintFile(settings.file, read);
    closeWindow(kExitNormal);
}

// ---- Menus -----------------------------------------------------------------------------------

void Varkon::end_Click() {
    if (finished_) return;
    openPortIfClosed();
    link_.SendCommand("KX794ST", EcrErrorText, false);  // no answer is awaited
    link_.ClosePort();
    closeWindow(kExitNormal);
}

void Varkon::param_Click() {
    if (finished_) return;
    Timer2.enabled = false;
    surface_.setVisible("frmparam", true);
}

void Varkon::settingsClosed() {
    if (finished_) return;
    Timer2.interval = kWatchdogInterval;
    Timer2.enabled = true;
}

void Varkon::settingsSaved() {
    closeWindow(kExitNormal);
}

void Varkon::help_text_Click() {
#ifdef _WIN32
    const bool started = launcher_.start("notepad", {kHelpFile}, false);
#else
    const bool started = launcher_.start("xdg-open", {kHelpFile}, false);
#endif
    if (!started) messages_.ShowMessage(kHelpNotOpened, kMsgExclamation);
}

void Varkon::basic_programming_Click() {
    if (finished_) return;
    ProgrammingRunCalls calls;
    calls.status = [this] { return surface_.status(); };
    calls.setStatus = [this](const std::string& text) { setStatus(text); };
    calls.pressStart = [this] { Command1_Click(); };
    RunBasicProgramming(messages_, calls);
}

void Varkon::xrep0_Click() {
    reports_.xrep0();
}
void Varkon::xrep5_Click() {
    reports_.xrep5();
}
void Varkon::zrep021_Click() {
    reports_.zrep021();
}
void Varkon::zrep521_Click() {
    reports_.zrep521();
}

// ---- Ending ----------------------------------------------------------------------------------

void Varkon::exitprg() {
    surface_.clearDrawing();
    surface_.drawText("");
    const int inner = kFarewellWidth - 2;
    const int text = static_cast<int>(CodePoints(kFarewell));
    const int left = (inner - text) / 2;
    surface_.drawText("╔" + Repeat("═", inner) + "╗");
    surface_.drawText("║" + std::string(static_cast<std::size_t>(left), ' ') + kFarewell +
                      std::string(static_cast<std::size_t>(inner - text - left), ' ') + "║");
    surface_.drawText("╚" + Repeat("═", inner) + "╝");
    endNow(kExitArgumentsRejected);
}

void Varkon::close() {
    if (finished_) return;
    link_.ClosePort();
    endNow(exitCode_);
}

void Varkon::closeWindow(int exitCode) {
    if (finished_) return;
    exitCode_ = exitCode;
    close();
}

void Varkon::endNow(int exitCode) {
    finished_ = true;
    exitCode_ = exitCode;
    Timer1.enabled = false;
    Timer2.enabled = false;
}

}  // namespace varkon
