-- Default isotope table, loaded into a new BazaIzotopow.mdb by halvora_makedb.
-- Aktywnosc: a typical initial activity in MBq for the nuclide's usual source
-- (patient dose, generator, sealed or calibration source).
-- Polrozpad: half-life in years, 1 y = 365.2422 d. Each row names the
-- evaluation it follows: NUBASE2020 (F. G. Kondev et al., Chinese Physics C 45
-- (2021) 030001) where it gives the nuclide, otherwise the years column of
-- ICRP Publication 107 (A. Endo, K. F. Eckerman, 2008).

CREATE TABLE Izotopy (
    Nazwa     TEXT,
    Aktywnosc REAL,
    Polrozpad REAL
);

INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('F-18', 370, 0.00020864); -- NUBASE2020: 109.734 min / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Tc-99m', 740, 0.000686189); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('I-131', 3700, 0.0219714); -- NUBASE2020: 8.0249 d / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('I-125', 37, 0.16261); -- NUBASE2020: 59.392 d / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Co-60', 0.37, 5.2714); -- NUBASE2020: 5.2714 y
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Cs-137', 0.37, 30.04); -- NUBASE2020: 30.04 y
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Ir-192', 370000, 0.202132); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Am-241', 0.037, 432.2); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Sr-90', 3.7, 28.79); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Y-90', 1850, 0.0073125); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Lu-177', 7400, 0.0181989); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Ga-68', 185, 0.00012899); -- NUBASE2020: 67.842 min / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Ra-223', 6.6, 0.0312943); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('C-14', 0.037, 5700); -- NUBASE2020: 5700 y
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('H-3', 37, 12.32); -- NUBASE2020: 12.32 y
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('P-32', 185, 0.0390672); -- NUBASE2020: 14.269 d / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Tl-201', 111, 0.00832895); -- NUBASE2020: 73.01 h / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('In-111', 185, 0.00767901); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Xe-133', 555, 0.0143669); -- NUBASE2020: 5.2474 d / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Se-75', 0.37, 0.327947); -- NUBASE2020: 119.78 d / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Ra-226', 0.037, 1600); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Kr-85', 370, 10.756); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Na-22', 0.37, 2.6019); -- NUBASE2020: 2.6019 y
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Ba-133', 0.37, 10.538); -- NUBASE2020: 10.538 y
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Eu-152', 0.37, 13.537); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Mn-54', 0.37, 0.854556); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Zn-65', 0.37, 0.667886); -- NUBASE2020: 243.94 d / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Co-57', 370, 0.743999); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Fe-55', 370, 2.737); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Ni-63', 555, 101.2); -- NUBASE2020: 101.2 y
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Pu-238', 3.7, 87.7); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Cf-252', 37, 2.645); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Mo-99', 37000, 0.00752241); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Sm-153', 2590, 0.0053047); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Rb-82', 1480, 2.42039e-06); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('N-13', 740, 1.89467e-05); -- NUBASE2020: 9.965 min / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('O-15', 1000, 3.87446e-06); -- NUBASE2020: 122.266 s / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Cu-64', 370, 0.00144886); -- NUBASE2020: 12.7004 h / 365.2422 d
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Zr-89', 74, 0.00894498); -- ICRP-107 (years column)
INSERT INTO Izotopy (Nazwa, Aktywnosc, Polrozpad) VALUES ('Ge-68', 1850, 0.74211); -- NUBASE2020: 271.05 d / 365.2422 d
