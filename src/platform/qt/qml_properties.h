#pragma once

// Properties that QML reads, each declared in one line of its class: the Q_PROPERTY, its public
// getter and the value last published, kept in the member `name_`, which the class itself sets
// and signals. The member is private, and so is what follows the line.

// The getter and the member behind it, for the macros below.
#define VOLTARO_QML_KEPT(Type, name) \
                                     \
public:                              \
    Type name() const {              \
        return name##_;              \
    }                                \
                                     \
private:                             \
    Type name##_{};

// With a NOTIFY signal of its own, `nameChanged`.
#define VOLTARO_QML_VALUE(Type, name)                    \
    Q_PROPERTY(Type name READ name NOTIFY name##Changed) \
                                                         \
public:                                                  \
    Q_SIGNAL void name##Changed();                       \
    VOLTARO_QML_KEPT(Type, name)

// Signalled by `notify`, which the class shares among several properties and declares.
#define VOLTARO_QML_VALUE_NOTIFIED_BY(Type, name, notify) \
    Q_PROPERTY(Type name READ name NOTIFY notify)         \
    VOLTARO_QML_KEPT(Type, name)
