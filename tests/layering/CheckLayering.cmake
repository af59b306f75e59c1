# Fails when a core file includes what its layer may not: the desktop application (app/), the
# command-line tool (cli/), a core folder above its own layer, or any Qt header outside the short
# list the core uses to decode pictures and render plots (no Qt Widgets, ever).
#
#   cmake -DSOURCE_DIR=<project>/src -P CheckLayering.cmake
#
# A new dependency between core folders is a design decision: link the library in CMake, then
# add the folder here and in docs/ARCHITECTURE.md.
cmake_minimum_required(VERSION 3.25)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "CheckLayering: pass -DSOURCE_DIR=<project>/src")
endif()

# Core folder -> the folders its files may include (itself first).
set(ALLOWED_base base)
set(ALLOWED_image image base)
set(ALLOWED_segment segment image base)
set(ALLOWED_encode encode image base)
set(ALLOWED_match match encode image base)
set(ALLOWED_strain strain match encode image base)
set(ALLOWED_synth synth image base)
set(ALLOWED_track track strain match segment encode image base)
set(CORE_FOLDERS base image segment encode match strain synth track)

# QtCore/QtGui headers the core may use: picture decoding and encoding, and plot rendering.
set(ALLOWED_QT
  QImage QImageReader QImageWriter QImageIOHandler QColorSpace QIODevice QFile QBuffer
  QByteArray QString QStringList
  QPainter QPainterPath QPen QBrush QColor QFont QFontMetrics QFontMetricsF QFontDatabase
  QTransform QPoint QPointF QRect QRectF QSize QSizeF QLine QLineF QPolygonF
  QCoreApplication QGuiApplication)

string(TOLOWER "${ALLOWED_QT}" ALLOWED_QT_LOWER)

set(violations "")
set(scanned 0)
foreach(folder IN LISTS CORE_FOLDERS)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/${folder})
    continue()
  endif()
  file(GLOB_RECURSE files LIST_DIRECTORIES false
    ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.hpp ${SOURCE_DIR}/${folder}/*.cpp
    ${SOURCE_DIR}/${folder}/*.cc ${SOURCE_DIR}/${folder}/*.inl)
  foreach(path IN LISTS files)
    math(EXPR scanned "${scanned} + 1")
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${path})
    file(STRINGS ${path} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(target "${CMAKE_MATCH_1}")
        if(target MATCHES "^([^/]+)/")
          set(root "${CMAKE_MATCH_1}")
          if(NOT root IN_LIST ALLOWED_${folder})
            string(JOIN " " may ${ALLOWED_${folder}})
            list(APPEND violations "src/${shown}: \"${target}\" (${folder}/ may include: ${may})")
          endif()
        elseif(target MATCHES "\\.\\.")
          list(APPEND violations "src/${shown}: \"${target}\" (climbs out of its folder)")
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
        set(target "${CMAKE_MATCH_1}")
        if(target MATCHES "^Qt[A-Za-z]*/(.+)$")
          set(header "${CMAKE_MATCH_1}")
        elseif(target MATCHES "^Q")
          set(header "${target}")
        else()
          continue()
        endif()
        # <QImage>, <QtGui/QImage> and <QtGui/qimage.h> name the same header.
        string(REGEX REPLACE "\\.h$" "" header "${header}")
        string(TOLOWER "${header}" header)
        if(NOT header IN_LIST ALLOWED_QT_LOWER)
          list(APPEND violations "src/${shown}: <${target}> (not a Qt header the core may use)")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(scanned EQUAL 0)
  message(FATAL_ERROR "CheckLayering: no core source found under ${SOURCE_DIR}")
endif()
list(LENGTH violations count)
if(count GREATER 0)
  string(JOIN "\n  " text ${violations})
  message(FATAL_ERROR "${count} forbidden include(s) in the core:\n  ${text}")
endif()
message(STATUS "Layering: ${scanned} core files, every include allowed")
