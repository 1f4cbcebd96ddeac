// The serial ports of the system, for finding the GPS receiver.
#pragma once

#include <QList>
#include <QString>

// One serial port as a port source reports it.
struct tagSerialPort {
    QString portName;     // the device, such as /dev/ttyUSB0
    QString driverKey;    // where the system keeps the port's driver
    QString friendlyName; // what a person would call it; may be empty
};

// Where CComPortList learns the ports. Tests give a fixed list.
class CSerialPortSource {
public:
    virtual ~CSerialPortSource();
    virtual QList<tagSerialPort> Ports() const = 0;
};

// The system's serial ports as udev knows them, through QSerialPortInfo:
// port name = the device path; friendly name = the device's description,
// with its manufacturer added where the description does not already name
// it; driver key = the sysfs path of the port's driver
// (/sys/bus/usb-serial/drivers/pl2303, say), empty when it has none.
class CSystemSerialPorts : public CSerialPortSource {
public:
    QList<tagSerialPort> Ports() const override;

    static QString FriendlyName(const QString& description, const QString& manufacturer);
};

// The list of serial ports, rebuilt from the source by Enumerate, without
// opening any port. Accessors given an index past the end answer 0 or
// empty.
//
// Port numbers: a port is numbered n when its name is exactly "COMn:" for
// n from 1 to 255, and 0 otherwise. Ports here are named by their device
// paths, which never have that form, so every port of the system is
// numbered 0; ports are opened by name, never by number.
class CComPortList {
public:
    // source is not owned; null means the installed source (below).
    explicit CComPortList(const CSerialPortSource* source = nullptr);
    virtual ~CComPortList();

    virtual void Enumerate();
    virtual unsigned int GetCount() const;
    virtual int GetPortNumber(unsigned int i) const;
    virtual QString GetPortName(unsigned int i) const;
    virtual QString GetDriverKey(unsigned int i) const;
    virtual QString GetFriendlyName(unsigned int i) const;
    // The driver key after its last path separator ('/' or '\').
    virtual QString GetDriverKeyLeaf(unsigned int i) const;

    // The port name of the first port, in list order, whose friendly name
    // contains "GPS" (case-sensitive); empty when there is none.
    QString FindGPSPort() const;
    // Every listed port, in list order, as the receiver search takes them.
    QList<tagSerialPort> Ports() const;

    static int PortNumberFromName(const QString& name);
    // The source of lists made without one (the city form's): source, not
    // owned; null restores the system's ports. For tests.
    static void InstallSource(const CSerialPortSource* source);

private:
    struct tagEntry {
        QString portName;
        int portNumber = 0;
        QString driverKey;
        QString friendlyName;
    };

    const CSerialPortSource* m_source;
    QList<tagEntry> m_entries;
};
