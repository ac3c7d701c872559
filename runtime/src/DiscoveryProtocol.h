#pragma once

#include "SourceCatalogue.h"

#include <string>
#include <vector>

namespace ndirt::discovery
{

/* The discovery server's protocol: UTF-8 text lines over TCP, both ways the
   same message, a whole list of sources:

     SOURCES <count>\n
     <NDI name>\t<URL>\t<extra text>\n     (count times)

   A client sends the list of its own sources whenever it changes (a URL with
   an empty host, "tcp://:PORT", is completed by the server with the address
   it sees the client at). The server sends each client the sources of all
   other clients, at once and after every change. Lines are at most 4096
   bytes, lists at most 1024 sources; anything else ends the connection. */

constexpr size_t maxLineBytes = 4096;
constexpr size_t maxSources = 1024;

std::string encode (const std::vector<SourceInfo>& sources);

/** Reads lists from a byte stream arriving in pieces of any size. */
class ListReader
{
public:
    /** Takes bytes; calls onList (std::vector<SourceInfo>&&) for each complete
        list. Returns false on malformed input (see getError()). */
    template <typename Callback>
    bool feed (const char* data, size_t size, Callback&& onList)
    {
        for (size_t i = 0; i < size && error.empty(); ++i)
        {
            if (data[i] != '\n')
            {
                if (line.size() == maxLineBytes)
                    error = "line too long";

                line += data[i];
                continue;
            }

            if (takeLine() && expected == 0)
            {
                onList (std::move (list));
                list.clear();
                started = false;
            }

            line.clear();
        }

        return error.empty();
    }

    const std::string& getError() const  { return error; }

private:
    /** Handles a complete line; true when it completes a list. */
    bool takeLine();

    std::string line;
    std::vector<SourceInfo> list;
    size_t expected = 0;
    bool started = false;
    std::string error;
};

} // namespace ndirt::discovery
