#!/usr/bin/python3
"""Writes a deterministic synthetic school as a Racima exchange document.

Scale 1 is a large school: 150 employees, 60 rooms, 30 courses of two units each (60 units),
1,200 subject records whose names repeat across courses, 20 activities and two frameworks of
14 slots each. Scale S multiplies every count by S (the frameworks keep their 14 slots each).

The subjects are spread so that the timetable stand-in fills a real week: of every six
courses, five offer 34 subjects (two lessons a week each) and one offers 70 (one lesson each),
which gives some 27 lessons per teacher. The first courses carry the keys of the reference
table, so their level and study resolve; the others fall back to the unknown level. Unit
names begin with their course's number, so group codes stay unique at every scale.
"""

import argparse
import random
from xml.sax.saxutils import escape

SURNAMES = ["García", "Fernández", "González", "Rodríguez", "López", "Martínez", "Sánchez",
            "Pérez", "Gómez", "Martín", "Jiménez", "Ruiz", "Hernández", "Díaz", "Moreno",
            "Muñoz", "Álvarez", "Romero", "Alonso", "Gutiérrez", "Navarro", "Torres",
            "Domínguez", "Vázquez", "Ramos", "Gil", "Ramírez", "Serrano", "Blanco", "Molina"]
GIVEN = ["Ana", "Luis", "María", "José", "Carmen", "Javier", "Lucía", "Manuel", "Elena",
         "Pablo", "Isabel", "Sergio", "Pilar", "Andrés", "Rocío", "Íñigo", "Begoña", "Óscar"]
SUBJECT_WORDS = ["Lengua Castellana y Literatura", "Matemáticas", "Geografía e Historia",
                 "Biología y Geología", "Física y Química", "Inglés", "Francés",
                 "Educación Física", "Música", "Tecnología", "Educación Plástica",
                 "Filosofía", "Latín", "Griego", "Economía", "Dibujo Técnico",
                 "Química", "Física", "Historia del Arte", "Religión", "Valores Éticos",
                 "Informática", "Tutoría", "Cultura Clásica", "Psicología", "Geología",
                 "Matemáticas Aplicadas", "Lengua Extranjera II", "Artes Escénicas",
                 "Oratoria", "Robótica", "Comunicación Audiovisual", "Emprendimiento",
                 "Ciencias Aplicadas", "Literatura Universal", "Anatomía Aplicada",
                 "Tecnología Industrial", "Diseño", "Fundamentos del Arte", "Imagen y Sonido"]
ACTIVITIES = ["Guardia", "Tutoría lectiva", "Reunión de departamento", "Biblioteca",
              "Atención a familias", "Coordinación TIC", "Jefatura de estudios",
              "Mantenimiento de laboratorio", "Programa bilingüe", "Convivencia"]
COURSE_LEVELS = ["ESO", "Bachillerato", "FP Básica", "CFGM", "CFGS"]
# X_OFERTAMATRIG of the rows of data/nivellari.csv, the reference table built with the program.
REFERENCE_COURSE_KEYS = [60101, 60102, 60103, 60104, 60201, 60202, 60203, 60204, 60301, 60302,
                         60401, 60402, 60501]
# Subjects per course over a block of six courses: 5 x 34 + 70 = 240, 40 on average.
SUBJECTS_PER_COURSE = [34, 34, 34, 34, 34, 70]

SLOTS_PER_FRAMEWORK = 14


def dato(name, value):
    return '<dato nombre_dato="%s">%s</dato>' % (name, escape(value))


def record(*fields):
    return "<grupo_datos>" + "".join(dato(n, v) for n, v in fields) + "</grupo_datos>\n"


def section(seq, records):
    return '<grupo_datos seq="%s">\n%s</grupo_datos>\n' % (seq, "".join(records))


def employees(rng, count):
    for i in range(count):
        yield record(("X_EMPLEADO", str(900000 + i)), ("F_TOMAPOS", "01/09/2026"),
                     ("C_NUMIDE", "%08dZ" % (10000000 + i)),
                     ("NOMBRE1", rng.choice(SURNAMES)), ("NOMBRE2", rng.choice(SURNAMES)),
                     ("NOMBRE3", rng.choice(GIVEN)))


def rooms(count):
    for i in range(count):
        yield record(("X_DEPENDENCIA", "D%05d" % i), ("D_DEPENDENCIA", "Aula %d" % (i + 1)))


def course_key(c):
    if c < len(REFERENCE_COURSE_KEYS):
        return str(REFERENCE_COURSE_KEYS[c])
    return str(70000 + c)


def courses(count):
    for c in range(count):
        level = COURSE_LEVELS[c % len(COURSE_LEVELS)]
        yield record(("X_OFERTAMATRIG", course_key(c)),
                     ("D_OFERTAMATRIG", "%dº %s %d" % (c % 4 + 1, level, c)))


def units(course_count, units_per_course):
    key = 0
    for c in range(course_count):
        for u in range(units_per_course):
            yield record(("X_UNIDAD", str(500000 + key)),
                         ("T_NOMBRE", "G%d %dº %s %s" % (c, c % 4 + 1, COURSE_LEVELS[c % 5],
                                                          chr(ord("A") + u))),
                         ("X_OFERTAMATRIG", course_key(c)))
            key += 1


def subjects(course_count, distinct_names):
    key = 0
    for c in range(course_count):
        for s in range(SUBJECTS_PER_COURSE[c % len(SUBJECTS_PER_COURSE)]):
            index = (c * 7 + s) % distinct_names
            base = SUBJECT_WORDS[index % len(SUBJECT_WORDS)]
            name = base if index < len(SUBJECT_WORDS) else "%s %d" % (base, index // len(SUBJECT_WORDS))
            yield record(("X_OFERTAMATRIG", course_key(c)), ("X_MATERIAOMG", str(300000 + key)),
                         ("D_MATERIAC", name))
            key += 1


def activities(count):
    for i in range(count):
        name = ACTIVITIES[i % len(ACTIVITIES)]
        yield record(("X_ACTIVIDAD_PADRE", ""), ("X_ACTIVIDAD", str(40 + i)),
                     ("D_ACTIVIDAD", name if i < len(ACTIVITIES) else "%s %d" % (name, i)))


def frameworks():
    yield record(("X_JORNADA", "JM"), ("D_JORNADA", "Jornada de mañana"),
                 ("F_INICIO", "15/09/2026"), ("F_FIN", "22/06/2027"))
    yield record(("X_JORNADA", "JT"), ("D_JORNADA", "Jornada de tarde"),
                 ("F_INICIO", "15/09/2026"), ("F_FIN", "22/06/2027"))


def slots():
    for code, first in (("JM", 480), ("JT", 900)):
        for p in range(SLOTS_PER_FRAMEWORK):
            start = first + p * 30
            yield record(("X_TRAMO", "%s%02d" % (code, p + 1)), ("D_TRAMO", "%dª hora" % (p + 1)),
                         ("N_INICIO", str(start)), ("N_FIN", str(start + 30)),
                         ("X_JORNADA", code))


def write_school(out, scale):
    rng = random.Random(20261209)
    course_count = 30 * scale
    out.write('<?xml version="1.0" encoding="UTF-8"?>\n')
    out.write('<SERVICIO modulo="HORARIOS" tipo="E" autor="SINTETICO" fecha="01/09/2026">\n')
    out.write("<BLOQUE_DATOS>\n")
    out.write('<grupo_datos seq="ANNO_ACADEMICO">%s</grupo_datos>\n' % dato("C_ANNO", "2026"))
    out.write(section("EMPLEADOS", employees(rng, 150 * scale)))
    out.write(section("DEPENDENCIAS", rooms(60 * scale)))
    out.write(section("CURSOS_DEL_CENTRO", courses(course_count)))
    out.write(section("UNIDADES", units(course_count, 2)))
    out.write(section("MATERIAS", subjects(course_count, 60 * scale)))
    out.write(section("ACTIVIDADES", activities(20 * scale)))
    out.write(section("JORNADAS_ESCOLARES", frameworks()))
    out.write(section("TRAMOS_HORARIOS", slots()))
    out.write("</BLOQUE_DATOS>\n</SERVICIO>\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--scale", type=int, default=1)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    with open(args.out, "w", encoding="utf-8") as out:
        write_school(out, args.scale)


if __name__ == "__main__":
    main()
