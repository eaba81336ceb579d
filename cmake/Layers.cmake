# A library of the program: its sources, the src root as its include path, and the libraries it
# uses.
function(quillory_library name)
    cmake_parse_arguments(PARSE_ARGV 1 L "" "" "SOURCES;LINKS")
    add_library(${name} STATIC ${L_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${L_LINKS})
endfunction()

# The libraries stand in layers: a library may link only libraries of lower layers. The modules
# share one layer, so a module never links another module; it opens another module's window
# through the registry of the core layer, which the shell fills at start-up. A module's tables
# stand far below it, where any library above them may open them.
function(quillory_layer rank)
    foreach(library IN LISTS ARGN)
        set_property(GLOBAL PROPERTY QUILLORY_LAYER_${library} ${rank})
        set_property(GLOBAL APPEND PROPERTY QUILLORY_LAYERED ${library})
    endforeach()
endfunction()

# Libraries whose work runs without windows, on any thread: they may not link Qt Widgets, directly
# or through the libraries they use.
function(quillory_without_widgets)
    set_property(GLOBAL APPEND PROPERTY QUILLORY_WITHOUT_WIDGETS ${ARGN})
endfunction()

# Fails the configuration when a library links one of its own or a higher layer, or a library
# without windows uses Qt Widgets.
function(quillory_check_layers)
    get_property(windowless GLOBAL PROPERTY QUILLORY_WITHOUT_WIDGETS)
    foreach(library IN LISTS windowless)
        quillory_linked_libraries(${library} used)
        if(Qt6::Widgets IN_LIST used)
            message(FATAL_ERROR "${library} uses Qt6::Widgets: its work runs without windows, "
                "so it reports and asks through store/progress.h and leaves windows to the "
                "library above it")
        endif()
    endforeach()
    get_property(libraries GLOBAL PROPERTY QUILLORY_LAYERED)
    foreach(library IN LISTS libraries)
        if(NOT TARGET ${library})
            message(FATAL_ERROR "The layered library ${library} is not defined")
        endif()
        get_property(rank GLOBAL PROPERTY QUILLORY_LAYER_${library})
        get_target_property(links ${library} LINK_LIBRARIES)
        foreach(link IN LISTS links)
            get_property(linkRank GLOBAL PROPERTY QUILLORY_LAYER_${link})
            if(NOT "${linkRank}" STREQUAL "" AND NOT linkRank LESS rank)
                message(FATAL_ERROR
                    "${library} (layer ${rank}) links ${link} (layer ${linkRank}): a library may "
                    "use only libraries of lower layers, and a module opens another module's "
                    "window through the registry")
            endif()
        endforeach()
    endforeach()
endfunction()

quillory_layer(1 quillory_store)
# Each module's table holder, with the module's rules for its records (the name the address book
# shows, the journal's stamp of a new entry, the loans of the collection), stands in a library of
# its own over the store, so that the work without windows below the modules opens a module's
# tables without the module's windows.
quillory_layer(2 quillory_addressbook_tables quillory_collections_tables quillory_journal_tables
    quillory_userdefined_tables)
# The work of the backup and the maintenance tools uses the table engine alone, so it runs and is
# tested without a window; so do the formats of other programs' records, records to text and back
# below every module and every window.
quillory_layer(3 quillory_core quillory_install quillory_backupwork quillory_tools_work
    quillory_formats)
# The data exchange writes its files through the formats' export file.
# The sync engine reads and writes records through the formats; its account lives in the settings.
quillory_layer(4 quillory_widgets quillory_exchange_work quillory_sync quillory_sync_account)
quillory_without_widgets(quillory_store quillory_addressbook_tables quillory_collections_tables
    quillory_journal_tables quillory_userdefined_tables quillory_backupwork quillory_exchange_work
    quillory_tools_work quillory_formats quillory_sync)
# The module windows' CSV commands run the formats through the work runner; so do their sync
# command and the options window's sync account page.
quillory_layer(5 quillory_report quillory_exchange_menu quillory_sync_windows)
quillory_layer(6 quillory_addressbook quillory_backup quillory_calendar quillory_collections
    quillory_journal quillory_tools quillory_exchange quillory_userdefined)
# The options window drives the import of the data exchange and opens the backup's directory
# chooser, so it stands above the modules.
quillory_layer(7 quillory_options)
quillory_layer(8 quillory_shell)

# The layered libraries a target uses, directly or through the libraries it links.
function(quillory_linked_libraries target out)
    set(seen)
    get_target_property(pending ${target} LINK_LIBRARIES)
    while(pending)
        list(POP_FRONT pending item)
        # A static library's private use reaches its users' links as $<LINK_ONLY:library>.
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.+)>$" "\\1" item "${item}")
        if(NOT TARGET "${item}" OR item IN_LIST seen)
            continue()
        endif()
        list(APPEND seen ${item})
        get_target_property(more ${item} INTERFACE_LINK_LIBRARIES)
        if(more)
            list(APPEND pending ${more})
        endif()
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Fails the configuration when a test executable uses a library above the layer it tests.
function(quillory_check_test_layers)
    get_property(tests GLOBAL PROPERTY QUILLORY_TESTS)
    foreach(test IN LISTS tests)
        get_property(rank GLOBAL PROPERTY QUILLORY_TEST_LAYER_${test})
        quillory_linked_libraries(${test} used)
        foreach(library IN LISTS used)
            get_property(libraryRank GLOBAL PROPERTY QUILLORY_LAYER_${library})
            if(NOT "${libraryRank}" STREQUAL "" AND libraryRank GREATER rank)
                message(FATAL_ERROR "${test} (a test of layer ${rank}) uses ${library} (layer "
                    "${libraryRank}): a test links only its layer and the layers below it")
            endif()
        endforeach()
    endforeach()
endfunction()
