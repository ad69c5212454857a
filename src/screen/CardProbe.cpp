#include "screen/CardProbe.h"

#include "platform/clock/Clock.h"
#include "platform/events/EventLog.h"
#include "screen/CardCommands.h"
#include "screen/CardExchange.h"

namespace led {

int OpenCardPortAt(SerialPort& serial, int port, int baud) {
    if (!serial.Open(port, baud, SerialPort::kNoParity, 8, SerialPort::kOneStopBit,
                     SerialPort::kNoHandshake))
        return -1;
    serial.SetQueueSizes(1024, 4096);
    serial.SetReadTimeout(2);
    return 0;
}

bool ProbeCardBaud(CardPorts& ports, int port) {
    bool answered;
    {
        auto lock = ports.cardPort.LockExchange();
        ports.cardPort.Close();
        OpenCardPortAt(ports.cardPort, port, 576000);
        auto probe = RunExchangeLocked(ports, PortRole::Card,
                                       Exchange(kBaudProbe).Wait(100).Reply(10), lock);
        answered = !probe.reply.empty();
        if (!answered) {
            ports.cardPort.Close();
            OpenCardPortAt(ports.cardPort, port, 115200);
        }
    }
    ports.events.Emit("card-port", {{"port", "card"},
                                    {"open", ports.cardPort.IsOpen()},
                                    {"baud", ports.cardPort.Baud()},
                                    {"answered", answered}});
    if (ports.cardPort.IsOpen()) ports.deviceClock.Sleep(500);  // the card settles
    if (ports.auxPortMode == 0 || ports.auxPortMode == 1) {
        auto lock = ports.auxPort.LockExchange();
        OpenCardPortAt(ports.auxPort, kAuxPortNumber, ports.auxPortMode == 0 ? 115200 : 9600);
        ports.events.Emit(
            "card-port",
            {{"port", "aux"}, {"open", ports.auxPort.IsOpen()}, {"baud", ports.auxPort.Baud()}});
    }
    return answered;
}

}  // namespace led
