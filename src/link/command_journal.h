// CommandJournal: where the commands of one receipt are accounted for as the register answers
// them, so that a receipt cut short (the program killed, the line dead) is finished later from
// the first command whose answer never came, and nothing the register has already taken is sent
// to it twice. The engine keeps it on the disk; the link consults it for every command while a
// receipt is being sent.
#pragma once

namespace varkon {

class CommandJournal {
  public:
    virtual ~CommandJournal() = default;

    // Asked before a command goes out: true when the register answered it before the receipt was
    // cut short. Such a command is not sent again.
    virtual bool answeredBefore() = 0;
    // The register has answered the command just sent (a refusal is an answer too). false when
    // that could not be recorded: the receipt then sends nothing more, since a receipt cut short
    // later would send this command again.
    virtual bool answered() = 0;
};

}  // namespace varkon
