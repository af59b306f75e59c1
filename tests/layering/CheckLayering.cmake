# Fails when a file includes what its library may not: a folder that its latticor_library()
# declaration does not allow, a path that climbs out of its folder, or a Qt header its library's
# Qt modules do not cover (no Qt at all without QT; with QtGui only the short list below, which
# decodes pictures and renders plots; anything with Qt Widgets).
#
#   cmake -DLAYERS=<build>/layering/Layers.cmake -P CheckLayering.cmake
#
# The declarations are the one source: cmake/LatticorLibrary.cmake writes LAYERS from them.
cmake_minimum_required(VERSION 3.25)

if(NOT LAYERS OR NOT EXISTS "${LAYERS}")
  message(FATAL_ERROR "CheckLayering: pass -DLAYERS=<build>/layering/Layers.cmake")
endif()
include(${LAYERS})

# QtCore/QtGui headers a library with QtGui may use: picture decoding and encoding, and plots.
set(ALLOWED_QT
  QImage QImageReader QImageWriter QImageIOHandler QColorSpace QIODevice QFile QBuffer
  QByteArray QString QStringList
  QPainter QPainterPath QPen QBrush QColor QFont QFontMetrics QFontMetricsF QFontDatabase
  QTransform QPoint QPointF QRect QRectF QSize QSizeF QLine QLineF QPolygonF
  QCoreApplication QGuiApplication)
string(TOLOWER "${ALLOWED_QT}" ALLOWED_QT_LOWER)

set(violations "")
set(scanned 0)
foreach(folder IN LISTS LAYER_FOLDERS)
  set(dir "${LAYER_DIR_${folder}}")
  set(allowed ${LAYER_ALLOWED_${folder}})
  if("Widgets" IN_LIST LAYER_QT_${folder})
    set(qt any)
  elseif(LAYER_QT_${folder})
    set(qt list)
  else()
    set(qt none)
  endif()
  file(GLOB_RECURSE files LIST_DIRECTORIES false
    ${dir}/*.h ${dir}/*.hpp ${dir}/*.cpp ${dir}/*.cc ${dir}/*.inl)
  foreach(path IN LISTS files)
    math(EXPR scanned "${scanned} + 1")
    file(RELATIVE_PATH shown ${LAYER_ROOT} ${path})
    file(STRINGS ${path} lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
        set(target "${CMAKE_MATCH_1}")
        if(target MATCHES "\\.\\.")
          list(APPEND violations "${shown}: \"${target}\" (climbs out of its folder)")
        elseif(target MATCHES "^([^/]+)/")
          set(root "${CMAKE_MATCH_1}")
          if(NOT root IN_LIST allowed)
            string(JOIN " " may ${allowed})
            list(APPEND violations "${shown}: \"${target}\" (${folder}/ may include: ${may})")
          endif()
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
        set(target "${CMAKE_MATCH_1}")
        if(target MATCHES "^Qt[A-Za-z]*/(.+)$")
          set(header "${CMAKE_MATCH_1}")
        elseif(target MATCHES "^Q[A-Z]")
          set(header "${target}")
        else()
          continue()
        endif()
        # <QImage>, <QtGui/QImage> and <QtGui/qimage.h> name the same header.
        string(REGEX REPLACE "\\.h$" "" header "${header}")
        string(TOLOWER "${header}" header)
        if(qt STREQUAL "none")
          list(APPEND violations "${shown}: <${target}> (${folder}/ uses no Qt)")
        elseif(qt STREQUAL "list" AND NOT header IN_LIST ALLOWED_QT_LOWER)
          list(APPEND violations "${shown}: <${target}> (not a Qt header ${folder}/ may use)")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(scanned EQUAL 0)
  message(FATAL_ERROR "CheckLayering: no source found in the declared libraries")
endif()
list(LENGTH violations count)
if(count GREATER 0)
  string(JOIN "\n  " text ${violations})
  message(FATAL_ERROR "${count} forbidden include(s):\n  ${text}")
endif()
list(LENGTH LAYER_FOLDERS libraries)
message(STATUS "Layering: ${scanned} files of ${libraries} libraries, every include allowed")
