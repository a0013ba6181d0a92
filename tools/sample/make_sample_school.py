#!/usr/bin/python3
"""Writes data/sample/RacimaEjemplo.xml: the exchange document of a fictional secondary school
(IES Sierra de Albarracín, an invented school), as Racima would export it for the timetable.

Deterministic: the same run always writes the same bytes. Every name in it is invented.
Usage: make_sample_school.py [OUTPUT]
"""

import sys
from pathlib import Path
from xml.sax.saxutils import escape

OUTPUT = Path(__file__).resolve().parents[2] / "data" / "sample" / "RacimaEjemplo.xml"

COURSES = [
    ("60101", "1º ESO"),
    ("60102", "2º ESO"),
    ("60103", "3º ESO"),
    ("60104", "4º ESO"),
    ("60201", "1º Bachillerato Ciencias"),
    ("60202", "2º Bachillerato Ciencias"),
    ("60203", "1º Bachillerato Humanidades"),
    ("60204", "2º Bachillerato Humanidades"),
    ("60301", "1º FP Básica Informática"),
    ("60302", "2º FP Básica Informática"),
    ("60401", "1º CFGM Gestión Administrativa"),
    ("60402", "2º CFGM Gestión Administrativa"),
]

# Group letters per course: 24 units in all.
UNIT_LETTERS = {
    "60101": "ABC", "60102": "ABC", "60103": "ABC", "60104": "ABC",
    "60201": "AB", "60202": "AB", "60203": "A", "60204": "A",
    "60301": "A", "60302": "A", "60401": "AB", "60402": "AB",
}

ESO_COMMON = [
    "Lengua Castellana y Literatura", "Matemáticas", "Inglés", "Geografía e Historia",
    "Educación Física", "Religión Católica", "Atención Educativa", "Tutoría",
    "Francés", "Alemán", "Refuerzo de Lengua", "Refuerzo de Matemáticas",
    "Tecnología y Digitalización", "Música", "Educación Plástica, Visual y Audiovisual",
    "Proyecto Interdisciplinar", "Cultura Clásica", "Oratoria y Debate",
    "Taller de Lectura", "Educación en Valores Cívicos y Éticos", "Biología y Geología",
    "Física y Química",
]
BACH_COMMON = [
    "Lengua Castellana y Literatura I", "Filosofía", "Inglés I", "Educación Física",
    "Religión Católica", "Atención Educativa", "Tutoría", "Francés I", "Anatomía Aplicada",
    "Tecnologías de la Información y la Comunicación I", "Cultura Científica",
    "Lenguaje y Práctica Musical", "Proyecto de Investigación",
]
BACH_SCIENCE = [
    "Matemáticas I", "Física y Química", "Biología, Geología y Ciencias Ambientales",
    "Dibujo Técnico I", "Tecnología e Ingeniería I", "Química Aplicada", "Estadística",
    "Programación y Robótica", "Laboratorio de Ciencias", "Ampliación de Matemáticas",
    "Ciencias de la Tierra", "Divulgación Científica",
]
BACH_HUMANITIES = [
    "Latín I", "Griego I", "Historia del Mundo Contemporáneo",
    "Matemáticas Aplicadas a las Ciencias Sociales I", "Literatura Universal", "Economía",
    "Patrimonio Artístico de Aragón", "Psicología", "Historia de la Música y de la Danza",
    "Taller de Escritura", "Comentario de Texto", "Geografía Económica",
]
FPB_SUBJECTS = [
    "Comunicación y Sociedad", "Ciencias Aplicadas", "Montaje y Mantenimiento de Sistemas",
    "Operaciones Auxiliares para la Configuración y la Explotación", "Tutoría",
    "Prevención de Riesgos Laborales", "Inglés Técnico", "Atención Educativa",
    "Religión Católica", "Educación Física", "Proyecto de Aula", "Ofimática Básica",
    "Redes Locales", "Formación en Centros de Trabajo", "Itinerario Personal para la Empleabilidad",
]
CFGM_SUBJECTS = [
    "Comunicación Empresarial y Atención al Cliente",
    "Operaciones Administrativas de Compraventa", "Empresa y Administración",
    "Tratamiento Informático de la Información", "Técnica Contable", "Inglés",
    "Formación y Orientación Laboral", "Operaciones Administrativas de Recursos Humanos",
    "Tratamiento de la Documentación Contable", "Empresa en el Aula",
    "Operaciones Auxiliares de Gestión de Tesorería", "Formación en Centros de Trabajo",
    "Tutoría", "Digitalización Aplicada al Sistema Productivo", "Sostenibilidad Aplicada",
    "Proyecto Intermodular",
]


def subjects_of(course_key, course_name):
    """The subject names a course offers; second-year courses use 'II' where the first uses 'I'."""
    if course_key.startswith("601"):
        names = list(ESO_COMMON)
    elif course_key.startswith("602"):
        extra = BACH_SCIENCE if "Ciencias" in course_name else BACH_HUMANITIES
        names = BACH_COMMON + extra
        if course_name.startswith("2º"):
            names = [n[:-2] + " II" if n.endswith(" I") else n for n in names]
    elif course_key.startswith("603"):
        names = list(FPB_SUBJECTS)
    else:
        names = list(CFGM_SUBJECTS)
    return names


GIVEN_NAMES = [
    "Ana", "Alberto", "Andrés", "Beatriz", "Carmen", "César", "Dolores", "Eduardo", "Elena",
    "Fernando", "Gloria", "Héctor", "Inés", "Javier", "Julia", "Lucía", "Manuel", "María José",
    "Marta", "Miguel Ángel", "Nuria", "Óscar", "Pilar", "Ramón", "Raquel", "Rocío", "Sergio",
    "Silvia", "Tomás", "Verónica", "Íñigo", "Begoña", "Jesús", "Concepción", "Agustín",
    "Noelia", "Rubén", "Yolanda", "Adrián", "Sofía", "Víctor", "Irene", "Álvaro", "Patricia",
    "Joaquín", "Nieves", "Ismael", "Aurora", "Gonzalo", "Encarnación", "Ignacio",
    "Montserrat", "Rafael", "Teresa", "Luis", "Eva", "Daniel",
]
SURNAMES = [
    "Pérez", "Martínez", "Sánchez", "Gómez", "Fernández", "Jiménez", "Ruiz", "Hernández",
    "Díaz", "Moreno", "Muñoz", "Álvarez", "Romero", "Navarro", "Torres", "Domínguez",
    "Gil", "Vázquez", "Serrano", "Ramos", "Blanco", "Castro", "Ortega", "Rubio", "Marín",
    "Sanz", "Núñez", "Iglesias", "Medina", "Garrido", "Cortés", "Castillo", "Santos",
    "Lozano", "Guerrero", "Cano", "Prieto", "Méndez", "Cruz", "Calvo", "Gallego", "Vidal",
    "León", "Herrera", "Peña", "Ibáñez", "Lorente", "Aguilar", "Pascual", "Santana",
    "Giménez", "Ferrer", "Carrasco", "Caballero", "Nieto", "Pastor", "Montañés",
]


def employees():
    """About sixty staff: (key, date, post, surname 1, surname 2, given name)."""
    people = [
        # One family whose initials repeat: GLA, GLA1, GLA2 in the teacher table.
        ("García", "López", "Ana"),
        ("García", "López", "Alberto"),
        ("Gómez", "Lara", "Andrés"),
        # A surname that starts with a blank in Racima's export.
        (" Martín", "Yagüe", "Begoña"),
        # No second surname.
        ("Peñalver", "", "Nuria"),
    ]
    for i in range(55):
        people.append((SURNAMES[(7 * i) % len(SURNAMES)],
                       SURNAMES[(11 * i + 3) % len(SURNAMES)],
                       GIVEN_NAMES[(5 * i + 2) % len(GIVEN_NAMES)]))
    rows = []
    for i, (first, second, given) in enumerate(people):
        key = str(1048000 + 37 * i)
        date = f"{1 + i % 28:02d}/09/{2005 + i % 21}"
        post = ("590", "591", "592")[i % 3] + f"{(i * 13) % 100:03d}"
        rows.append((key, date, post, first, second, given))
    return rows


ROOMS = [
    ("A101", "Aula 1.01"), ("A102", "Aula 1.02"), ("A103", "Aula 1.03"),
    ("A104", "Aula 1.04"), ("A201", "Aula 2.01"), ("A202", "Aula 2.02"),
    ("A203", "Aula 2.03"), ("A204", "Aula 2.04"), ("LABFQ", "Laboratorio de Física y Química"),
    ("LABBG", "Laboratorio de Biología y Geología"), ("INF1", "Aula de Informática 1"),
    ("INF2", "Aula de Informática 2"), ("TEC", "Taller de Tecnología"),
    ("", "Aula de Música"), ("", "Aula de Plástica"), ("GIM", "Gimnasio"),
    ("PIST", "Pistas deportivas"), ("BIB", "Biblioteca"), ("", "Salón de actos"),
    ("DESD", "Desdoble Planta Baja"), ("A101", "Aula 1.01 (anexo)"),
    ("ADM1", "Aula de Gestión Administrativa 1"), ("ADM2", "Aula de Gestión Administrativa 2"),
    ("FPB", "Taller de FP Básica"), ("DEPLENG", "Departamento de Lengua"),
]

ACTIVITIES = [
    ("N", "1", "Guardia"),
    ("L", "5", "Tutoría lectiva"),
    ("N", "12", "Reunión de departamento"),
    ("N", "18", "Guardia de recreo"),
    ("N", "23", "Atención a familias"),
    ("L", "31", "Jefatura de departamento"),
]

FRAMEWORKS = [
    ("4401", "Jornada de mañana", "09/09/2026", "22/06/2027"),
    ("4402", "Jornada de tarde", "09/09/2026", "22/06/2027"),
]

SLOTS = [
    # Morning: six periods and the break.
    ("170001", "1ª hora", 510, 565, "4401"),
    ("170002", "2ª hora", 565, 620, "4401"),
    ("170003", "3ª hora", 620, 675, "4401"),
    ("170004", "Recreo", 675, 705, "4401"),
    ("170005", "4ª hora", 705, 760, "4401"),
    ("170006", "5ª hora", 760, 815, "4401"),
    ("170007", "6ª hora", 815, 870, "4401"),
    # Afternoon: six periods and the break.
    ("170011", "1ª hora tarde", 930, 985, "4402"),
    ("170012", "2ª hora tarde", 985, 1040, "4402"),
    ("170013", "3ª hora tarde", 1040, 1095, "4402"),
    ("170014", "Recreo tarde", 1095, 1115, "4402"),
    ("170015", "4ª hora tarde", 1115, 1170, "4402"),
    ("170016", "5ª hora tarde", 1170, 1225, "4402"),
    ("170017", "6ª hora tarde", 1225, 1280, "4402"),
]


def section(name, field_names, records):
    lines = [f'    <grupo_datos seq="{name}" registros="{len(records)}">']
    for number, record in enumerate(records, start=1):
        lines.append(f'      <grupo_datos seq="ID_ORDEN" num_fila="{number}">')
        for field, value in zip(field_names, record):
            lines.append(f'        <dato nombre_dato="{field}">{escape(str(value))}</dato>')
        lines.append("      </grupo_datos>")
    lines.append("    </grupo_datos>")
    return lines


def document():
    units = []
    unit_key = 834500
    for course_key, course_name in COURSES:
        for letter in UNIT_LETTERS[course_key]:
            unit_key += 1
            units.append((str(unit_key), f"{course_name} {letter}", course_key))
    subjects = []
    subject_key = 300100
    for course_key, course_name in COURSES:
        for name in subjects_of(course_key, course_name):
            subject_key += 1
            subjects.append((course_key, str(subject_key), name))

    lines = [
        '<?xml version="1.0" encoding="ISO-8859-1"?>',
        '<SERVICIO modulo="HORARIOS" tipo="O" autor="RACIMA" version="1.0"'
        ' fecha="14/09/2026 10:32:07">',
        "  <BLOQUE_DATOS>",
        '    <grupo_datos seq="ANNO_ACADEMICO">',
        '      <dato nombre_dato="C_ANNO">2026</dato>',
        "    </grupo_datos>",
    ]
    lines += section("CURSOS_DEL_CENTRO", ["X_OFERTAMATRIG", "D_OFERTAMATRIG"], COURSES)
    lines += section("UNIDADES", ["X_UNIDAD", "T_NOMBRE", "X_OFERTAMATRIG"], units)
    lines += section("MATERIAS", ["X_OFERTAMATRIG", "X_MATERIAOMG", "D_MATERIAOMG"], subjects)
    lines += section("ACTIVIDADES", ["N_TIPO", "X_ACTIVIDAD", "D_ACTIVIDAD"], ACTIVITIES)
    lines += section("EMPLEADOS",
                     ["X_EMPLEADO", "F_TOMAPOS", "X_PUESTO", "APELLIDO1", "APELLIDO2", "NOMBRE"],
                     employees())
    lines += section("DEPENDENCIAS", ["X_DEPENDENCIA", "D_DEPENDENCIA"], ROOMS)
    lines += section("JORNADAS_ESCOLARES",
                     ["X_JORNADA", "D_JORNADA", "F_INICIO", "F_FIN"], FRAMEWORKS)
    lines += section("TRAMOS_HORARIOS",
                     ["X_TRAMO", "D_TRAMO", "N_INICIO", "N_FIN", "X_JORNADA"], SLOTS)
    lines += ["  </BLOQUE_DATOS>", "</SERVICIO>", ""]
    return "\n".join(lines)


def main():
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else OUTPUT
    output.parent.mkdir(parents=True, exist_ok=True)
    output.write_bytes(document().encode("iso-8859-1"))


if __name__ == "__main__":
    main()
