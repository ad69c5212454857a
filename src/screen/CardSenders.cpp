#include "screen/CardSenders.h"

#include <array>
#include <string>

#include "core/CardPorts.h"
#include "platform/text/HexDigits.h"
#include "screen/CardCommands.h"
#include "screen/CardExchange.h"

namespace led {
namespace {

int SetSwitch(CardPorts& ports, const SwitchCommand& command, bool on) {
    auto result =
        RunExchange(ports, PortRole::Card,
                    Exchange(on ? command.on : command.off).Wait(command.waitMs).Reply(100));
    return result.written && Contains(result.reply, kWriteAck) ? 1 : 0;
}

}  // namespace

int SetCardSwitchC800(CardPorts& ports, bool on) { return SetSwitch(ports, kSwitchC800, on); }
int SetCardSwitchC400(CardPorts& ports, bool on) { return SetSwitch(ports, kSwitchC400, on); }
int SetCardSwitchCC00(CardPorts& ports, bool on) { return SetSwitch(ports, kSwitchCC00, on); }

int SendPointEnable(CardPorts& ports, bool on) {
    std::string command = CardWriteCommand("003C", "0001", on ? "01" : "00");
    return RunExchange(ports, PortRole::Card, Exchange(command)).written ? 1 : 0;
}

int SendProgramPair(CardPorts& ports, int a, int b) {
    std::string command =
        CardWriteCommand("0020", "0004", LowerHex(unsigned(a), 4) + LowerHex(unsigned(b), 4));
    return RunExchange(ports, PortRole::Card, Exchange(command).Wait(50)).written ? 1 : 0;
}

int ReadCardByte000F(CardPorts& ports) {
    // The card needs a moment to answer a read; a read straight after the
    // write would find nothing on the line yet.
    auto result = RunExchange(ports, PortRole::Card,
                              Exchange(kReadStatus000F).Wait(10).Reply(50).PurgeBothQueues());
    std::array<char, 2> digits{};
    for (size_t i = 0; i < 2 && 8 + i < result.reply.size(); ++i) digits[i] = result.reply[8 + i];
    int value = 0;
    for (char c : digits) {
        int d = HexDigitValue(c);
        if (d < 0) break;  // the number ends at the first character that is no digit
        value = value * 16 + d;
    }
    return value;
}

std::vector<uint8_t> ReadBoardModel(CardPorts& ports) {
    auto result = RunExchange(ports, PortRole::Card, Exchange(kReadBoardModel).Wait(50).Reply(100));
    return {result.reply.begin(), result.reply.end()};
}

}  // namespace led
