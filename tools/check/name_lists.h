// The simulator's names kestrix-check checks a data.cfg against: its
// DataRefs.txt and Commands.txt, given on the command line or found in the
// simulator the file sits in. Without a list, the names it would hold are
// not checked: they are taken as they stand rather than called unresolved.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace kestrix_check {

struct NameLists {
    std::string datarefs;  // path of DataRefs.txt; empty: none
    std::string commands;  // path of Commands.txt; empty: none
    std::string found;     // the simulator's folder the lists were found in
};

// Fills the lists not given: walks up from the folder of `config` to the
// first folder whose Resources/plugins holds DataRefs.txt or Commands.txt
// (an aircraft's data.cfg lies below the simulator's root).
void FindSimulatorLists(const std::string& config, NameLists& lists);

// Names of the board texts that a missing list would have to hold, added to
// the stand-in so that the parser reads them as the simulator's: an output's
// dataref; an input's name when it has the form of a simulator name (a
// dataref when a value follows it, else a command), never a local link.
// Returns the names added.
std::set<std::string> AddUncheckedNames(const std::vector<std::string>& texts, bool datarefsLoaded,
                                        bool commandsLoaded);

}  // namespace kestrix_check
