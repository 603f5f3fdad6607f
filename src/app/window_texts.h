// Every text the engine shows in the window and its message boxes, in one place (UTF-8). The
// reports, the programming run, the link and the receipt translation keep their own texts.
#pragma once

namespace varkon::texts {

// Status texts and captions of the window's states.
inline constexpr const char* kSearching = "Εύρεση Ταμειακής!!! Πατήστε 793<ST> ";
inline constexpr const char* kCaptionSearching = "Varkon- Αναζήτηση";
inline constexpr const char* kOffline = "Ταμειακή OFF-Line !!!";
inline constexpr const char* kAttempt = "Προσπάθεια ";
inline constexpr const char* kCaptionOffline = "Varkon- Σφάλμα !";
inline constexpr const char* kReady = "Ταμειακή ON-Line, Έτοιμη Για Εκτυπώσεις";
inline constexpr const char* kCaptionReady = "Varkon- Έτοιμο";
inline constexpr const char* kWaiting = "Αναμονή Για Στοιχεία....";
inline constexpr const char* kCaptionWaiting = "Varkon- Αναμονή";
inline constexpr const char* kStopped = "Διακοπή Εκτυπώσεων. Πατήστε Έναρξη Εκτυπώσεων!!!";
inline constexpr const char* kCaptionStopped = "Varkon- Διακόπηκε";

// The option panel.
inline constexpr const char* kPathBetween = " @Path : ";
inline constexpr const char* kDescriptionsPrinted = "Να Εκτυπώνεται";
inline constexpr const char* kDescriptionsNotPrinted = "Να ΜΗΝ Εκτυπώνεται";
inline constexpr const char* kCommentsNo = "Οχι";
inline constexpr const char* kCommentsYes = "Nαι";  // begins with a Latin N
inline constexpr const char* kMainCurrency = "Κύριο Νόμισμα";
inline constexpr const char* kSecondCurrency = "Δευτερεύων Νομισμα";

// The farewell notice of a rejected argument string, and the reason for the status line.
inline constexpr const char* kFarewell = "Ευχαριστουμε που χρησιμοποιησατε την εφαρμογη Varkon";
inline constexpr int kFarewellWidth = 61;
inline constexpr const char* kOptionFieldMissing =
    "Οι παράμετροι απορρίφθηκαν: λείπει το έκτο πεδίο (οι 7 επιλογές)";
inline constexpr const char* kOptionFieldShort =
    "Οι παράμετροι απορρίφθηκαν: το έκτο πεδίο (επιλογές) έχει λιγότερους από 7 χαρακτήρες : ";

// Messages of the job loop and the menus. A job's failure reads "Λάθος : " + number + CR + text.
inline constexpr const char* kJobError = "Λάθος : ";
inline constexpr const char* kSettingsUnreadable =
    "Δεν είναι δυνατή η ανάγνωση του αρχείου ρυθμίσεων param.ini";
inline constexpr const char* kSettingsHoldNoPort =
    "Το αρχείο ρυθμίσεων param.ini δεν ορίζει σειριακή θύρα (γραμμή [port])";
inline constexpr const char* kPrintFileMissing = "Το αρχείο εκτύπωσης δεν βρέθηκε : ";
inline constexpr const char* kPrintFileUnreadable =
    "Το αρχείο εκτύπωσης δεν μπορεί να διαβαστεί : ";
inline constexpr const char* kConverterNotStarted =
    "Δεν ήταν δυνατή η εκκίνηση της επεξεργασίας : ";
inline constexpr const char* kConverterNoMarker =
    "Η επεξεργασία δεν τελείωσε (δεν γράφτηκε το end.txt)";
inline constexpr const char* kJobLaterAgain = "Η εκτύπωση θα ξαναδοκιμαστεί αργότερα.";
inline constexpr const char* kHelpNotOpened =
    "Δεν ήταν δυνατό να ανοίξει το αρχείο βοήθειας varkon.txt";
inline constexpr const char* kReceiptNotWritten = "Αδύνατη η εγγραφή του αρχείου receipt.txt";
inline constexpr const char* kCannotDelete = "Αδύνατη η διαγραφή του αρχείου ";
inline constexpr const char* kGoOnTrying = "Να συνεχιστεί η προσπάθεια?";

// varkond's maintenance commands, which share the port with a Varkon printing in the folder.
inline constexpr const char* kPortBusyWaiting =
    "Η θύρα χρησιμοποιείται από άλλο πρόγραμμα (απόδειξη σε εξέλιξη). Αναμονή μέχρι να "
    "ελευθερωθεί: ";
inline constexpr const char* kUnfinishedReceiptHolds =
    "Μια απόδειξη δεν έχει ολοκληρωθεί και η ταμειακή μπορεί να την έχει ανοιχτή. Τίποτα δεν "
    "στέλνεται μέχρι να ολοκληρωθεί: ";

// Receipts and reports handed in over HTTP.
inline constexpr const char* kHandedInSentBefore =
    "Η απόδειξη στάλθηκε ολόκληρη πριν σταματήσει το πρόγραμμα· ο αριθμός της δεν είναι γνωστός.";
inline constexpr const char* kHandedInMessageBefore =
    "Η απόδειξη ολοκληρώθηκε, αφού πρώτα σταμάτησε με μήνυμα προς τον χειριστή.";
inline constexpr const char* kReportPortNotOpened =
    "Η αναφορά δεν στάλθηκε: η θύρα της ταμειακής δεν ανοίγει: ";

// One program per work folder.
inline constexpr const char* kAlreadyRunning =
    "Το Varkon εργάζεται ήδη σε αυτόν τον φάκελο. Δεύτερο Varkon δεν μπορεί να ξεκινήσει.";

// Receipts cut short, and print files passed over.
inline constexpr const char* kReceiptWaits = "Η απόδειξη ";
inline constexpr const char* kStoppedAtLine =
    " δεν ολοκληρώθηκε: η ταμειακή δεν απάντησε στη γραμμή ";
inline constexpr const char* kFinishedLater =
    ". Θα ολοκληρωθεί μόλις απαντήσει η ταμειακή· καμία άλλη απόδειξη δεν θα εκτυπωθεί ως τότε.";
inline constexpr const char* kRecordStoppedAtLine =
    " δεν ολοκληρώθηκε: το αρχείο varkon.job δεν γράφεται (γεμάτος δίσκος;) από τη γραμμή ";
inline constexpr const char* kRecordFinishedLater =
    ". Θα ολοκληρωθεί μόλις μπορεί να γραφτεί ξανά· καμία άλλη απόδειξη δεν θα εκτυπωθεί ως "
    "τότε.";
inline constexpr const char* kSettlementRefused =
    " δεν κλείστηκε: η ταμειακή αρνήθηκε την εξόφληση ή το κλείσιμό της στη γραμμή ";
inline constexpr const char* kGrownAfterSending =
    "Το αρχείο εκτύπωσης άλλαξε ενώ ή αφού στάλθηκε στην ταμειακή: ό,τι προστέθηκε δεν "
    "τυπώθηκε, και το αρχείο δεν στέλνεται ξανά. Ελέγξτε την απόδειξη στην ταμειακή και σβήστε "
    "το αρχείο : ";
inline constexpr const char* kUnfinishedFileChanged =
    " έμεινε ανοιχτή στην ταμειακή και το αρχείο της άλλαξε ή χάθηκε. Ολοκληρώστε την στην "
    "ταμειακή και διαγράψτε το varkon.job.";
inline constexpr const char* kJobRecordNotWritten =
    "Αδύνατη η εγγραφή του αρχείου varkon.job: καμία απόδειξη δεν θα εκτυπωθεί ως τότε.";
inline constexpr const char* kPrintFolderMissing =
    "Ο φάκελος των αρχείων εκτύπωσης δεν υπάρχει ή δεν είναι φάκελος : ";
inline constexpr const char* kPrintFolderBack = "Ο φάκελος των αρχείων εκτύπωσης βρέθηκε : ";
inline constexpr const char* kNoReceiptInFile = "Το αρχείο εκτύπωσης δεν περιέχει απόδειξη : ";
inline constexpr const char* kFileSkipped = "Το αρχείο εκτύπωσης παραλείπεται (δεν διαβάζεται) : ";
inline constexpr const char* kPrintedNotDeleted =
    "Το αρχείο εκτύπωσης έχει ήδη εκτυπωθεί αλλά δεν διαγράφεται : ";

}  // namespace varkon::texts
