#pragma once

#include <juce_core/juce_core.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

/** A port on 127.0.0.1 where no server is: held bound (and never listening)
    for as long as this object lives, so connections to it are refused and
    no other process can start listening there meanwhile.
*/
class ClosedLoopbackPort
{
public:
    ClosedLoopbackPort()
    {
        handle = ::socket (AF_INET, SOCK_STREAM, 0);

        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_port = 0;
        address.sin_addr.s_addr = htonl (INADDR_LOOPBACK);
        socklen_t length = sizeof (address);

        if (handle >= 0
            && ::bind (handle, reinterpret_cast<sockaddr*> (&address), sizeof (address)) == 0
            && ::getsockname (handle, reinterpret_cast<sockaddr*> (&address), &length) == 0)
            port = ntohs (address.sin_port);

        jassert (port > 0);
    }

    ~ClosedLoopbackPort()
    {
        if (handle >= 0)
            ::close (handle);
    }

    int getPort() const { return port; }

    /** "http://127.0.0.1:<port>" */
    juce::String getBaseUrl() const { return "http://127.0.0.1:" + juce::String (port); }

    ClosedLoopbackPort (const ClosedLoopbackPort&) = delete;
    ClosedLoopbackPort& operator= (const ClosedLoopbackPort&) = delete;

private:
    int handle = -1;
    int port = 0;
};
