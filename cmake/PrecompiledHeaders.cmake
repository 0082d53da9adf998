# Most of a cold build is the compiler reading the same Qt headers for every source file. Every
# target set up by ovelin_target_defaults reuses one precompiled set instead: the QtCore one, or,
# when it links QtWidgets, the QtCore, QtGui and QtWidgets one (so a core library still cannot
# reach a widget). QtTest stays out: what it declares depends on the modules each target links.

set(ovelin_pch_core_headers
    <QtCore/QByteArray> <QtCore/QCoreApplication> <QtCore/QDateTime> <QtCore/QDebug> <QtCore/QDir>
    <QtCore/QElapsedTimer> <QtCore/QFile> <QtCore/QFileInfo> <QtCore/QHash> <QtCore/QJsonArray>
    <QtCore/QJsonDocument> <QtCore/QJsonObject> <QtCore/QList> <QtCore/QMap> <QtCore/QObject>
    <QtCore/QPointer> <QtCore/QRegularExpression> <QtCore/QSet> <QtCore/QSettings> <QtCore/QStandardPaths>
    <QtCore/QString> <QtCore/QStringList> <QtCore/QTemporaryDir> <QtCore/QTimer> <QtCore/QUrl>
    <QtCore/QUuid> <QtCore/QVariant> <functional> <memory> <optional> <vector>)
set(ovelin_pch_widgets_headers ${ovelin_pch_core_headers}
    <QtGui/QColor> <QtGui/QFont> <QtGui/QGuiApplication> <QtGui/QIcon> <QtGui/QImage> <QtGui/QKeyEvent>
    <QtGui/QMouseEvent> <QtGui/QPainter> <QtGui/QPixmap> <QtGui/QScreen>
    <QtWidgets/QAbstractButton> <QtWidgets/QApplication> <QtWidgets/QHBoxLayout> <QtWidgets/QLabel>
    <QtWidgets/QLineEdit> <QtWidgets/QPushButton> <QtWidgets/QVBoxLayout> <QtWidgets/QWidget>)

# True in `result` when `target` links `wanted`, directly or through the project's own libraries.
function(ovelin_links_to target wanted result)
    set(pending ${target})
    set(seen "")
    while(pending)
        list(POP_FRONT pending current)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" current "${current}")
        if(current STREQUAL wanted)
            set(${result} TRUE PARENT_SCOPE)
            return()
        endif()
        if(current IN_LIST seen OR NOT TARGET ${current})
            continue()
        endif()
        list(APPEND seen ${current})
        get_target_property(imported ${current} IMPORTED)
        if(imported)
            continue()
        endif()
        get_target_property(libraries ${current} LINK_LIBRARIES)
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        foreach(library IN LISTS libraries interface)
            if(library)
                list(APPEND pending ${library})
            endif()
        endforeach()
    endwhile()
    set(${result} FALSE PARENT_SCOPE)
endfunction()

# The defines that must match between the precompiled headers and their users. libcanberra's
# pkg-config flags bring _REENTRANT (which glibc ignores under _GNU_SOURCE): every target gets it.
set(ovelin_pch_definitions _REENTRANT)

# Called once every target is defined.
function(ovelin_precompile_headers)
    set(source ${CMAKE_BINARY_DIR}/ovelin_pch.cpp)
    if(NOT EXISTS ${source})
        file(WRITE ${source} "// Only here to give the precompiled headers a target.\n")
    endif()
    foreach(kind core widgets)
        add_library(ovelin_pch_${kind} STATIC ${source})
        ovelin_target_flags(ovelin_pch_${kind})
        target_compile_definitions(ovelin_pch_${kind} PRIVATE ${ovelin_pch_definitions})
        target_precompile_headers(ovelin_pch_${kind} PRIVATE ${ovelin_pch_${kind}_headers})
    endforeach()
    target_link_libraries(ovelin_pch_core PRIVATE Qt6::Core)
    target_link_libraries(ovelin_pch_widgets PRIVATE Qt6::Widgets)

    get_property(targets GLOBAL PROPERTY OVELIN_DEFAULT_TARGETS)
    foreach(target IN LISTS targets)
        ovelin_links_to(${target} Qt6::Widgets widgets)
        ovelin_links_to(${target} Qt6::Core core)
        if(widgets OR core)
            target_compile_definitions(${target} PRIVATE ${ovelin_pch_definitions})
            # A define added later that makes the headers unusable costs speed, not the build.
            target_compile_options(${target} PRIVATE -Wno-error=invalid-pch)
        endif()
        # Most generated moc files are small: loading the headers costs them more than it saves.
        get_target_property(binaryDir ${target} BINARY_DIR)
        set_source_files_properties(${binaryDir}/${target}_autogen/mocs_compilation.cpp TARGET_DIRECTORY ${target}
            PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
        if(widgets)
            target_precompile_headers(${target} REUSE_FROM ovelin_pch_widgets)
        elseif(core)
            target_precompile_headers(${target} REUSE_FROM ovelin_pch_core)
        endif()
    endforeach()
endfunction()
