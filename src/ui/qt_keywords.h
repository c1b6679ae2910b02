#pragma once
// framework::Signal has an emit() member, which Qt's "emit" keyword macro
// would erase. Every file that sees both Qt and the framework includes this
// before its first Qt header; Qt code uses Q_EMIT, Q_SIGNALS and Q_SLOTS.

#ifndef QT_NO_KEYWORDS
#define QT_NO_KEYWORDS
#endif
