-- Demo catalogue of the Vantrel equipment editor: invented items that show every column.
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, Description1, SoundFire, SoundHit, Icon, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside, TransferSection, TargetInfantry, InfantryMod)
VALUES ('LAS-S', 'Kestrel Small Laser', 'S-Laser', 1, 3, 0, 1, 2, 3, 0.5, 1, 0, 9, 'A light laser for close defence.', 'laser', 'explode', 'laser_s', 'Weapon', '3025', 11000, TRUE, FALSE, TRUE, TRUE, TRUE, 2);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, Description1, Description2, SoundFire, SoundHit, Icon, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside, TransferSection)
VALUES ('LAS-M', 'Kestrel Medium Laser', 'M-Laser', 3, 5, 0, 3, 6, 9, 1, 1, 0, 46, 'The backbone of every Vantrel line regiment.', 'Cheap, cool and reliable.', 'laser', 'explode', 'laser_m', 'Weapon', '3025', 40000, TRUE, FALSE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Icon, Kind, Era, Cost, HeatOnDeath, BeamWeapon, ExplodeOnHit, TransferInside, TransferSection)
VALUES ('LAS-L', 'Kestrel Large Laser', 'L-Laser', 8, 8, 0, 5, 10, 15, 5, 2, 0, 124, 'LASER', 'explode', 'laser_l', 'Weapon', '3025', 100000, 0, TRUE, FALSE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, Description1, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside, TransferSection, BonusGeneric)
VALUES ('PLS-S', 'Kestrel Pulse Laser', 'S-Pulse', 2, 3, 0, 1, 2, 3, 1, 1, 0, 12, 'Fires a stream of short pulses that find the target more easily.', 'laser', 'explode', 'Weapon', 'IS', 16000, TRUE, FALSE, TRUE, TRUE, 2);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside, TransferSection, BonusGeneric)
VALUES ('PLS-M', 'Harrier Pulse Laser', 'M-Pulse', 4, 6, 0, 2, 4, 6, 2, 1, 0, 48, 'laser', 'explode', 'Weapon', 'IS', 60000, TRUE, FALSE, TRUE, TRUE, 2);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside, TransferSection, BonusGeneric, BonusTargetJump)
VALUES ('PLS-L', 'Osprey Pulse Laser', 'L-Pulse', 10, 9, 0, 3, 7, 10, 7, 2, 0, 119, 'laser', 'explode', 'Weapon', 'IS', 175000, TRUE, FALSE, TRUE, TRUE, 2, 1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside, TransferSection)
VALUES ('LAS-ER', 'Vantrel Extended Laser', 'ER-Laser', 12, 10, 0, 8, 15, 25, 4, 1, 0, 248, 'laser', 'explode', 'Weapon', 'Clan', 200000, 'True', FALSE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside, TransferSection)
VALUES ('LAS-U', 'Glint Micro Laser', 'Micro-L', 1, 2, 0, 1, 2, 4, 0.25, 1, 0, 7, '', 'explode', 'Weapon', 'NewTech', 12500, 'false', FALSE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, Description1, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside, TransferSection, WorksInWater, WRangeMin, WRangeS, WRangeM, WRangeL)
VALUES ('LAS-W', 'Tidewater Laser', 'W-Laser', 5, 5, 0, 2, 4, 6, 1.5, 1, 0, 40, 'Blue-green laser tuned to pass through water.', 'laser', 'explode', 'Weapon', 'DravikTech', 55000, TRUE, FALSE, TRUE, TRUE, TRUE, 0, 1, 2, 3);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, Description1, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside)
VALUES ('AC2', 'Brennhal AutoCannon/2', 'AC/2', 1, 2, 4, 8, 16, 24, 6, 1, 1, 37, 'Long barrelled light cannon.', 'autocan', 'explode', 'Weapon', '3025', 75000, FALSE, FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside)
VALUES ('AC5', 'Brennhal AutoCannon/5', 'AC/5', 1, 5, 3, 6, 12, 18, 8, 4, 1, 70, 'autocan', 'explode', 'Weapon', '3025', 125000, FALSE, FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, UltraFeed, TransferInside)
VALUES ('AC10', 'Brennhal AutoCannon/10', 'AC/10', 3, 10, 0, 5, 10, 15, 12, 7, 1, 123, 'autocan', 'explode', 'Weapon', '3025', 200000, FALSE, FALSE, FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, TransferInside, BonusGeneric)
VALUES ('AC20', 'Brennhal AutoCannon/20', 'AC/20', 7, 20, 0, 3, 6, 9, 14, 10, 1, 178, 'Autocan', 'explode', 'Weapon', '3025', 300000, FALSE, FALSE, TRUE, 0);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, ChanceJam, UltraFeed, TransferInside)
VALUES ('UAC5', 'Ultra AC/5', 'UAC/5', 1, 5, 2, 6, 13, 20, 9, 5, 1, 112, 'autocan', 'explode', 'Weapon', 'IS', 200000, FALSE, FALSE, 3, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, ChanceJam, UltraFeed, TransferInside)
VALUES ('UAC10', 'Ultra AC/10', 'UAC/10', 4, 10, 0, 6, 12, 18, 10, 4, 1, 210, 'autocan', 'explode', 'Weapon', 'Clan', 320000, FALSE, FALSE, 2, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, UltraFeed, TransferInside)
VALUES ('LAC2', 'Light AC/2', 'LAC/2', 1, 2, 0, 6, 12, 18, 4, 1, 1, 30, 'autocan', 'explode', 'Weapon', 'NewTech', 100000, FALSE, FALSE, 'False', TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, DamageOnDeath, Chamber1, Chamber2, ExplodeOnHit, CanCASE)
VALUES ('AC2A', 'AC/2 Ammo', 'AC/2 Ammo', 1, 1, 45, 'explode', 'Ammo', '3025', 1000, 2, 'AC2', 'LAC2', TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, DamageOnDeath, Chamber1, Chamber2, ExplodeOnHit, CanCASE)
VALUES ('AC5A', 'AC/5 Ammo', 'AC/5 Ammo', 1, 1, 20, 'Ammo', '3025', 4500, 5, 'AC5', 'UAC5', TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, DamageOnDeath, Chamber1, Chamber2, ExplodeOnHit, CanCASE)
VALUES ('AC10A', 'AC/10 Ammo', 'AC/10 Ammo', 1, 1, 10, 'Ammo', '3025', 6000, 10, 'AC10', 'UAC10', TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, DamageOnDeath, Chamber1, ExplodeOnHit, CanCASE)
VALUES ('AC20A', 'AC/20 Ammo', 'AC/20 Ammo', 1, 1, 5, 'Ammo', '3025', 10000, 20, 'AC20', TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, DamageOnDeath, Chamber1, Chamber2, ExplodeOnHit, CanCASE, UltraFeed)
VALUES ('UAC5A', 'Ultra AC/5 Ammo', 'UAC/5 Ammo', 1, 1, 20, 'Ammo', 'IS', 9000, 5, 'UAC5', 'AC5', TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, DamageOnDeath, Chamber1, Chamber2, ExplodeOnHit, CanCASE, UltraFeed)
VALUES ('UAC10A', 'Ultra AC/10 Ammo', 'UAC/10 Ammo', 1, 1, 10, 'Ammo', 'Clan', 12000, 10, 'UAC10', 'AC10', TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, Ammo, Description1, Kind, Era, Cost, Chamber1, Chamber2, ExplodeOnHit, CanCASE, Smoke, SmokeAge)
VALUES ('AC10S', 'AC/10 Smoke Round', 'AC/10 Smoke', 0, 1, 1, 10, 'Bursts into a thick grey cloud.', 'Ammo', 'IS', 3000, 'AC10', 'UAC10', FALSE, TRUE, '1+3', 3);
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, Ammo, Kind, Era, Cost, Chamber1, Chamber2, ExplodeOnHit, CanCASE, Smoke, SmokeAge)
VALUES ('AC5S', 'AC/5 Smoke Round', 'AC/5 Smoke', 0, 1, 1, 20, 'Ammo', 'IS', 2000, 'AC5', 'UAC5', FALSE, TRUE, '1', 2);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Description1, Kind, Era, Cost, DamageOnDeath, Chamber1, ExplodeOnHit, CanCASE, ArmorPiercing, APChance, BonusGeneric)
VALUES ('AC20P', 'AC/20 Piercing Slug', 'AC/20 AP', 1, 1, 4, 'Hardened core slug that may punch through the armour.', 'Ammo', 'DravikTech', 20000, 20, 'AC20', TRUE, TRUE, TRUE, 25, -1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, TargetInfantry, InfantryMod)
VALUES ('SRM2', 'Short-Range Rack 2', 'SRM-2', 2, 4, 0, 3, 6, 9, 1, 1, 1, 21, 'missile', 'Explode', 'Weapon', '3025', 10000, FALSE, TRUE, TRUE, 1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, TargetInfantry, InfantryMod)
VALUES ('SRM4', 'Short-Range Rack 4', 'SRM-4', 3, 8, 0, 3, 6, 9, 2, 1, 1, 39, 'missile', 'Explode', 'Weapon', '3025', 60000, FALSE, TRUE, TRUE, 1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, TargetInfantry, InfantryMod)
VALUES ('SRM6', 'Short-Range Rack 6', 'SRM-6', 4, 12, 0, 3, 6, 9, 3, 2, 1, 59, 'missile', 'Explode', 'Weapon', '3025', 80000, FALSE, TRUE, TRUE, 1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, ExplodeOnHit, SingleShot, NeedLOS)
VALUES ('SRM2OS', 'Short-Range Rack 2, one shot', 'SRM-2/OS', 2, 4, 0, 3, 6, 9, 1.5, 1, 2, 4, 'missile', 'Explode', 'Weapon', 'IS', 5000, FALSE, TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, NeedLock)
VALUES ('STR2', 'Stream Short-Range Rack 2', 'Stream SRM-2', 2, 4, 0, 3, 6, 9, 1.5, 1, 1, 31, 'missile', 'Explode', 'Weapon', 'IS', 20000, FALSE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, NeedLock)
VALUES ('STR4', 'Stream Short-Range Rack 4', 'Stream SRM-4', 3, 8, 0, 3, 6, 9, 2.5, 1, 1, 49, 'missile', 'Explode', 'Weapon', 'IS', 120000, FALSE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, NeedLock)
VALUES ('STR6', 'Stream Short-Range Rack 6', 'Stream SRM-6', 4, 12, 0, 3, 6, 9, 3.5, 2, 1, 69, 'missile', 'Explode', 'Weapon', 'IS', 160000, FALSE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, NeedTAGorLOS)
VALUES ('LRM5', 'Long-Range Rack 5', 'LRM-5', 2, 5, 6, 7, 14, 21, 2, 1, 1, 50, 'missile', 'Explode', 'Weapon', '3025', 30000, FALSE, FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, NeedTAGorLOS)
VALUES ('LRM10', 'Long-Range Rack 10', 'LRM-10', 4, 10, 6, 7, 14, 21, 5, 2, 1, 100, 'missile', 'Explode', 'Weapon', '3025', 100000, FALSE, FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, NeedTAGorLOS)
VALUES ('LRM15', 'Long-Range Rack 15', 'LRM-15', 5, 15, 6, 7, 14, 21, 7, 3, 1, 150, 'missile', 'Explode', 'Weapon', '3025', 175000, FALSE, FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, NeedTAGorLOS)
VALUES ('LRM20', 'Long-Range Rack 20', 'LRM-20', 6, 20, 6, 7, 14, 21, 10, 5, 1, 200, 'missile', 'Explode', 'Weapon', '3025', 250000, FALSE, FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, BonusGeneric)
VALUES ('MRM10', 'Medium-Range Rack 10', 'MRM 10', 4, 10, 0, 3, 8, 15, 3, 2, 1, 80, 'missile', 'Explode', 'Weapon', 'DravikTech', 50000, FALSE, TRUE, -1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, BonusGeneric)
VALUES ('MRM20', 'Medium-Range Rack 20', 'MRM 20', 6, 20, 0, 3, 8, 15, 7, 3, 1, 160, 'missile', 'Explode', 'Weapon', 'DravikTech', 100000, FALSE, TRUE, -1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, BonusGeneric)
VALUES ('MRM30', 'Medium-Range Rack 30', 'MRM 30', 10, 30, 0, 3, 8, 15, 10, 4, 1, 240, 'missile', 'Explode', 'Weapon', 'DravikTech', 150000, FALSE, TRUE, -1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS, BonusGeneric)
VALUES ('MRM40', 'Medium-Range Rack 40', 'MRM 40', 12, 40, 0, 3, 8, 15, 12, 5, 1, 320, 'missile', 'Explode', 'Weapon', 'DravikTech', 200000, FALSE, TRUE, -1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, SingleShot, NeedLOS, BonusGeneric)
VALUES ('RKT10', 'Hailstorm Rocket Pod', 'RktPod 10', 3, 10, 0, 5, 11, 18, 0.5, 2, 10, 18, 'Missile', 'Explode', 'Weapon', 'NewTech', 15000, FALSE, TRUE, TRUE, -1);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, DamageOnDeath, Chamber1, Chamber2, Chamber3, ExplodeOnHit, CanCASE, IsMissile)
VALUES ('SRMA', 'SRM Ammo', 'SRM Ammo', 1, 1, 100, 'explode', 'Ammo', '3025', 27000, 2, 'SRM2', 'SRM4', 'SRM6', TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, DamageOnDeath, Chamber1, Chamber2, Chamber3, ExplodeOnHit, CanCASE, IsMissile, NeedLock)
VALUES ('STRA', 'Stream SRM Ammo', 'Stream Ammo', 1, 1, 100, 'explode', 'Ammo', 'IS', 54000, 2, 'STR2', 'STR4', 'STR6', TRUE, TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, DamageOnDeath, Chamber1, Chamber2, Chamber3, Chamber4, ExplodeOnHit, CanCASE, IsMissile, MissileSplitDamage)
VALUES ('LRMA', 'LRM Ammo', 'LRM Ammo', 1, 1, 120, 'explode', 'Ammo', '3025', 30000, 1, 'LRM5', 'LRM10', 'LRM15', 'LRM20', TRUE, TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, Chamber4, ExplodeOnHit, CanCASE, IsMissile, MissileFollowLeader, MissileSplitDamage, BonusMissile)
VALUES ('LRMF', 'LRM Follow-the-Leader Ammo', 'LRM FTL', 1, 1, 120, 'explode', 'Ammo', 'DravikTech', 60000, 'LRM5', 'LRM10', 'LRM15', 'LRM20', TRUE, TRUE, TRUE, TRUE, TRUE, -2);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, Chamber4, ExplodeOnHit, CanCASE, IsMissile, MissileSplitDamage, MissileHomingToHit, NeedLOS, NeedTAG)
VALUES ('LRMH', 'LRM Homing Ammo', 'LRM Homing', 1, 1, 120, 'explode', 'Ammo', 'IS', 90000, 'LRM5', 'LRM10', 'LRM15', 'LRM20', TRUE, TRUE, TRUE, TRUE, 4, FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, Chamber4, ExplodeOnHit, CanCASE, IsMissile, MissileSplitDamage, IsSwarm)
VALUES ('LRMW', 'LRM Swarm Ammo', 'LRM Swarm', 1, 1, 120, 'explode', 'Ammo', 'IS', 60000, 'LRM5', 'LRM10', 'LRM15', 'LRM20', TRUE, TRUE, TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, Chamber4, ExplodeOnHit, CanCASE, TargetHex, IsMine, IsMissile, EquipmentDropped)
VALUES ('LRMT', 'LRM Thunder Ammo', 'LRM Thunder', 0, 1, 1, 120, 'explode', 'Ammo', 'IS', 40000, 'LRM5', 'LRM10', 'LRM15', 'LRM20', TRUE, TRUE, TRUE, TRUE, TRUE, 'MINP');
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, Chamber4, ExplodeOnHit, CanCASE, TargetHex, IsMissile, Smoke, SmokeAge)
VALUES ('LRMS', 'LRM Smoke Ammo', 'LRM Smoke', 0, 1, 1, 120, 'explode', 'Ammo', 'IS', 20000, 'LRM5', 'LRM10', 'LRM15', 'LRM20', FALSE, TRUE, TRUE, TRUE, '1+6', 4);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Description1, SoundHit, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, Chamber4, OtherNeeded, OtherCode, OtherSameSeg, OtherBonus, ExplodeOnHit, CanCASE, IsMissile, MissileSplitDamage, BonusMissile)
VALUES ('LRMART', 'LRM Artemis Ammo', 'LRM Artemis', 1, 1, 120, 'Only rides the Artemis beam when a guidance unit sits beside the rack.', 'explode', 'Ammo', 'IS', 60000, 'LRM5', 'LRM10', 'LRM15', 'LRM20', TRUE, 'ART4', TRUE, TRUE, TRUE, TRUE, TRUE, TRUE, 2);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, HeatToTarget, HeatOnDeath, Chamber1, Chamber2, Chamber3, ExplodeOnHit, CanCASE, IsMissile, RollForFire, FireAge, RollToExtinguish)
VALUES ('SRMI', 'SRM Inferno Ammo', 'SRM Inferno', 1, 1, 100, 'explode', 'Ammo', 'IS', 30000, 4, 10, 'SRM2', 'SRM4', 'SRM6', TRUE, TRUE, TRUE, 1, 3, 8);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, ExplodeOnHit, CanCASE, IsMissile, FerroDamage)
VALUES ('SRMX', 'SRM Acid Ammo', 'SRM Acid', 1, 1, 100, 'explode', 'Ammo', 'NewTech', 45000, 'SRM2', 'SRM4', 'SRM6', TRUE, TRUE, TRUE, 2);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, ExplodeOnHit, CanCASE, IsMissile, BonusHeatOwn, BonusHeatTarget)
VALUES ('SRMV', 'Viper Heat-Seeker Ammo', 'SRM Viper', 1, 1, 100, 'explode', 'Ammo', 'Clan', 50000, 'SRM2', 'SRM4', 'SRM6', TRUE, TRUE, TRUE, -1, 1);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, SoundHit, Kind, Era, Cost, DamageOnDeath, Chamber1, Chamber2, Chamber3, Chamber4, ExplodeOnHit, CanCASE, IsMissile)
VALUES ('MRMA', 'MRM Ammo', 'MRM Ammo', 1, 1, 240, 'explode', 'Ammo', 'DravikTech', 28000, 1, 'MRM10', 'MRM20', 'MRM30', 'MRM40', TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, DamageOnDeath, ExplodeOnHit, ChanceDeath)
VALUES ('GAUSS', 'Tarrow Gauss Rifle', 'Gauss', 1, 15, 2, 7, 15, 22, 15, 7, 1, 320, 'autocan', 'explode', 'Weapon', 'IS', 300000, 20, TRUE, 0);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, Chamber1, ExplodeOnHit, CanCASE)
VALUES ('GAUSSA', 'Gauss Slugs', 'Gauss Ammo', 1, 1, 8, 'Ammo', 'IS', 20000, 'GAUSS', FALSE, FALSE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, TargetHex, ClearsWoods, IsArtillery, ArtilleryDamageAdj, ArtilleryDamageSame)
VALUES ('HOW1', 'Thunderhead Howitzer', 'T-Howitzer', 20, 20, 0, 0, 0, 20, 30, 20, 1, 350, 'autocan', 'explode', 'Weapon', 'IS', 450000, TRUE, TRUE, TRUE, 50, 100);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, TargetHex, NeedLOS, ClearsWoods, IsArtillery, ArtilleryDamageAdj, ArtilleryDamageSame)
VALUES ('MORT', 'Sniper Mortar', 'S-Mortar', 10, 10, 0, 0, 0, 12, 20, 20, 1, 190, 'autocan', 'explode', 'Weapon', 'IS', 300000, TRUE, FALSE, TRUE, TRUE, 25, 75);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, TargetHex, NeedTAGorLOS, ClearsWoods, IsArtillery, ArtilleryDamageAdj, ArtilleryDamageSame)
VALUES ('QRL4', 'Quarrel IV Launcher', 'Quarrel IV', 10, 20, 0, 0, 0, 8, 15, 15, 1, 280, 'missile', 'explode', 'Weapon', 'IS', 450000, TRUE, TRUE, TRUE, TRUE, 100, 100);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, HeatOnDeath, DamageOnDeath, Chamber1, ExplodeOnHit, ArtilleryDeath, CanCASE, IsArtillery)
VALUES ('HOW1A', 'Thunderhead Shells', 'TH Shells', 1, 1, 5, 'Ammo', 'IS', 10000, 5, 20, 'HOW1', TRUE, TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, Chamber1, ExplodeOnHit, ArtilleryDeath, CanCASE)
VALUES ('MORTA', 'Mortar Shells', 'Mortar Ammo', 1, 1, 10, 'Ammo', 'IS', 6000, 'MORT', TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, Chamber1, ExplodeOnHit, ArtilleryDeath, CanCASE, IsMissile)
VALUES ('QRL4A', 'Quarrel IV Missiles', 'Quarrel Ammo', 1, 1, 5, 'Ammo', 'IS', 10000, 'QRL4', TRUE, 'true', TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, BeamWeapon, NeedLOS)
VALUES ('CRL', 'Wayfarer Cruise Launcher', 'Cruise Rail', 10, 0, 0, 0, 0, 0, 12, 6, 1, 150, 'Missile', 'Explode', 'Weapon', 'Star League', 400000, FALSE, FALSE);
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, Ammo, Kind, Era, Cost, Chamber1, ExplodeOnHit, CanCASE, IsMissile, IsCruise, CruiseFuel, CruiseSpeed, CruiseTurn, CruiseTarget, CruiseAMS, CruiseSelfdestruct)
VALUES ('CRM', 'Wayfarer Cruise Missile', 'Wayfarer', 30, 1, 1, 1, 'Ammo', 'IS', 60000, 'CRL', TRUE, TRUE, TRUE, TRUE, 6, 8, 2, TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, Ammo, Kind, Era, Cost, Chamber1, ExplodeOnHit, CanCASE, IsMissile, IsCruise, CruiseFuel, CruiseSpeed, CruiseTurn, CruiseTarget, CruiseAMS, CruiseSelfdestruct)
VALUES ('CRMX', 'Longshot Cruise Missile', 'Longshot', 25, 1, 1, 1, 'Ammo', 'DravikTech', 90000, 'CRL', TRUE, TRUE, TRUE, TRUE, 10, 5, 1, 'false', TRUE, FALSE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, Kind, Era, Cost, BeamWeapon, IsWhip, WhipChance)
VALUES ('WHIP', 'Chain Whip', 'C-Whip', 0, 3, 0, 1, 1, 1, 3, 2, 0, 25, 'Weapon', 'NewTech', 120000, FALSE, TRUE, 35);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, Kind, Era, Cost, DamageToUser, IsWhip, WhipChance, BonusGeneric)
VALUES ('LASH', 'Coil Lash', 'Lash', 1, 5, 0, 1, 2, 2, 5, 3, 0, 40, 'Weapon', 'DravikTech', 220000, 1, TRUE, 20, -1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, Kind, Era, Cost, ClearsWoods, BonusGeneric)
VALUES ('HATCH', 'Hatchet', 'Hatchet', 0, 7, 0, 1, 1, 1, 7, 5, 0, 35, 'Hatchet', '3025', 35000, TRUE, -1);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, HeatToTarget, BeamWeapon, WholeLOS, TargetInfantry, InfantryMod, RollForFire, FireAge, RollToExtinguish)
VALUES ('FLAM', 'Pyre Flamer', 'Flamer', 3, 2, 0, 1, 2, 3, 1, 1, 0, 6, 'flamer', '', 'Weapon', '3025', 7500, 2, TRUE, TRUE, TRUE, 255, 1, 2, 7);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, HeatToTarget, BeamWeapon, WholeLOS, TargetInfantry, InfantryMod, RollForFire, FireAge, RollToExtinguish)
VALUES ('FLAMH', 'Heavy Pyre Flamer', 'H-Flamer', 5, 4, 0, 2, 3, 4, 1.5, 1, 0, 15, 'flamer', '', 'Weapon', 'NewTech', 11250, 4, TRUE, TRUE, TRUE, 255, 5, -1, 10);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, HeatToTarget, OtherNeeded, OtherCode, OtherSameSeg, OtherBonus, BeamWeapon, WholeLOS, TargetInfantry, InfantryMod, RollForFire, FireAge, RollToExtinguish)
VALUES ('FLAMV', 'Vapour Flamer', 'V-Flamer', 3, 2, 0, 1, 2, 3, 0.5, 1, 1, 5, 'flamer', '', 'Weapon', 'DravikTech', 9000, 3, TRUE, 'FUEL', FALSE, FALSE, FALSE, 'yes', TRUE, 255, 0, 1, 1);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, HeatOnDeath, DamageOnDeath, Chamber1, ExplodeOnHit, CanCASE)
VALUES ('FUEL', 'Flamer Fuel Tank', 'Fuel', 1, 1, 20, 'Ammo', 'DravikTech', 1000, 15, 1, 'FLAMV', TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, Weight, Crits, CV, Kind, Era, Cost)
VALUES ('HS', 'Heat Sink', 'HS', -1, 1, 1, 0, 'Heat Sink', '3025', 2000);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, Weight, Crits, CV, Kind, Era, Cost, ExplodeOnHit)
VALUES ('HS2', 'Double Heat Sink', 'DHS', -2, 1, 3, 0, 'Heat Sink', 'IS', 6000, FALSE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, Weight, Crits, CV, Description1, Description2, Kind, Era, Cost, ChanceDeath, HeatActivated, ActivateOnHeat)
VALUES ('ECS', 'Emergency Coolant Flush', 'Coolant', -6, 1, 1, 5, 'Vents coolant when the reactor runs hot.', 'Each use may rupture the lines.', 'Equipment', 'NewTech', 30000, 5, TRUE, 14);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, Weight, Crits, CV, Kind, Era, Cost, BonusOwnJump)
VALUES ('JJ', 'Jump Jet', 'JJ', 1, 0.5, 1, 0, 'Jump Jet', '3025', 2000, -3);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, Weight, Crits, CV, Kind, Era, Cost, BonusOwnJump)
VALUES ('JJI', 'Improved Jump Jet', 'IJJ', 1, 1, 2, 0, 'Jump Jet', 'IS', 15000, -2);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Kind, Era, Cost, DamageToUser, ExplodeOnHit, ChanceJam)
VALUES ('MASC', 'Sprint Actuator', 'MASC', 2, 2, 10, 'MASC', 'IS', 40000, 2, FALSE, 8);
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, Ammo, CV, SoundHit, Kind, Era, Cost, ExplodeOnHit, IsMine, MinePressure, MineMinPressure, MineMaxPressure, MineTimer)
VALUES ('MINP', 'Pressure Mine', 'P-Mine', 20, 0.5, 1, 1, 2, 'explode', 'Ammo', 'IS', 5000, TRUE, TRUE, TRUE, 20, 0, 0);
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, Ammo, CV, SoundHit, Kind, Era, Cost, ExplodeOnHit, IsMine, MinePressure, MineCommand)
VALUES ('MINC', 'Command Mine', 'C-Mine', 25, 0.5, 1, 1, 3, 'explode', 'Ammo', 'IS', 7000, TRUE, TRUE, FALSE, 'MDET');
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, Ammo, CV, SoundHit, Kind, Era, Cost, ExplodeOnHit, ArtilleryDeath, IsMine, MinePressure, MineTimer)
VALUES ('MINT', 'Timer Mine', 'T-Mine', 30, 0.5, 1, 1, 3, 'explode', 'Ammo', 'NewTech', 6000, TRUE, TRUE, TRUE, FALSE, 3);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, CV, SoundHit, Kind, Era, Cost, ExplodeOnHit, IsMine, MineWeapon, MinePressure, MineMinPressure, MineMaxPressure)
VALUES ('MINW', 'Sentry Mine', 'S-Mine', 2, 1, 1, 12, 'explode', 'Ammo', 'DravikTech', 30000, TRUE, TRUE, 'SRM6', TRUE, 0, 100);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Kind, Era, Cost, OtherNeeded, OtherCode, OtherSameSeg, DropBehind, EquipmentDropped)
VALUES ('MDISP', 'Mine Dispenser', 'Dispenser', 1, 1, 4, 'Equipment', 'IS', 20000, TRUE, 'MINP', TRUE, TRUE, 'MINP');
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Kind, Era, Cost)
VALUES ('MDET', 'Mine Detonator', 'Detonator', 0.5, 1, 0, 'Equipment', 'IS', 3000);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Kind, Era, Cost, BonusMissile)
VALUES ('ART4', 'Artemis Guidance Unit', 'Artemis', 1, 1, 15, 'Artemis', 'IS', 100000, 2);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Kind, Era, Cost, BonusGeneric, BonusTargetProne, BonusTargetStand, BonusTargetWalk, BonusTargetRun, BonusSmall, BonusMedium, BonusHeavy, BonusAssault)
VALUES ('TCOMP', 'Sighting Computer', 'T-Comp', 3, 3, 20, 'Target Computer', 'Clan', 30000, 1, 2, 1, 0, -1, -1, 0, 1, 2);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Kind, Era, Cost, BonusHeatOwn, BonusOwnProne, BonusOwnStand, BonusOwnWalk, BonusOwnRun, BonusOwnJump)
VALUES ('GYRO', 'Gyro Stabilised Mount', 'Stab Mount', 1, 1, 6, 'Equipment', 'NewTech', 25000, -1, -1, 1, 0, -1, -2);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Kind, Era, Cost, OtherNeeded)
VALUES ('C3M', 'C3 Master Computer', 'C3 Master', 5, 5, 0, 'C3 Master', 'IS', 1500000, FALSE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Kind, Era, Cost, OtherNeeded, OtherCode, OtherSameSeg, OtherBonus)
VALUES ('C3S', 'C3 Slave Unit', 'C3 Slave', 1, 1, 0, 'C3 Slave', 'IS', 250000, TRUE, 'C3M', FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, CV, Kind, Era, Cost, BeamWeapon, NeedLOS)
VALUES ('TAG', 'Marker TAG', 'TAG', 0, 0, 5, 9, 15, 1, 1, 0, 'TAG', 'IS', 50000, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, Kind, Era, Cost)
VALUES ('NARC', 'NARC Beacon Launcher', 'NARC', 0, 3, 6, 9, 3, 2, 1, 30, 'missile', 'NARC Beacon', 'IS', 100000);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, Chamber1, ExplodeOnHit, CanCASE)
VALUES ('NARCA', 'NARC Pods', 'NARC Pods', 1, 1, 6, 'Ammo', 'IS', 6000, 'NARC', FALSE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, RangeS, Weight, Crits, CV, Kind, Era, Cost)
VALUES ('BEAG', 'Beagle Probe', 'Probe', 4, 1.5, 2, 0, 'Beagle Probe', 'IS', 200000);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Icon, Kind, Era, Cost)
VALUES ('ECM', 'Guardian ECM Suite', 'ECM', 1.5, 2, 0, 'ecm', 'ECM', 'IS', 200000);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, Weight, Crits, Ammo, CV, SoundFire, Kind, Era, Cost, BonusMissile)
VALUES ('AMS', 'Anti-Missile System', 'AMS', 1, 0.5, 1, 1, 32, 'autocan', 'Anti Missile System', 'IS', 100000, -4);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, Chamber1, ExplodeOnHit, CanCASE)
VALUES ('AMSA', 'AMS Ammo', 'AMS Ammo', 1, 1, 12, 'Ammo', 'IS', 2000, 'AMS', TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, DamageToTarget, Weight, Crits, CV, SoundFire, Kind, Era, Cost, SingleShot, TargetInfantry, InfantryMod)
VALUES ('APP', 'Anti-Personnel Pod', 'A-Pod', 0, 0.5, 1, 1, 'EXPLODE', 'Anti Personnel Pod', 'IS', 1500, TRUE, TRUE, 255);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, CV, Kind, Era, Cost, CanCASE)
VALUES ('CASE', 'Ammunition Vent', 'CASE', 0.5, 1, 0, 'CASE', 'IS', 50000, FALSE);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, IsMissile, NeedLOS, WorksInWater, WRangeMin, WRangeS, WRangeM, WRangeL)
VALUES ('TRP2', 'Lancet Torpedo Tube 2', 'Torpedo 2', 3, 4, 0, 0, 0, 0, 1, 1, 1, 12, 'missile', 'explode', 'Weapon', 'IS', 10000, FALSE, TRUE, TRUE, 0, 3, 6, 9);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, IsMissile, NeedLOS, WorksInWater, WRangeMin, WRangeS, WRangeM, WRangeL)
VALUES ('TRP4', 'Lancet Torpedo Tube 4', 'Torpedo 4', 4, 8, 0, 0, 0, 0, 2, 2, 1, 24, 'missile', 'explode', 'Weapon', 'IS', 60000, FALSE, TRUE, TRUE, 0, 3, 6, 9);
INSERT INTO Equipment (Code, Name, Abbrev, HeatToUser, DamageToTarget, RangeMin, RangeS, RangeM, RangeL, Weight, Crits, Ammo, CV, SoundFire, SoundHit, Kind, Era, Cost, IsMissile, NeedLOS, WorksInWater, WRangeMin, WRangeS, WRangeM, WRangeL)
VALUES ('TRP6', 'Lancet Torpedo Tube 6', 'Torpedo 6', 5, 12, 0, 0, 0, 0, 3, 3, 1, 36, 'missile', 'explode', 'Weapon', 'IS', 80000, FALSE, TRUE, TRUE, 0, 3, 6, 9);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, ExplodeOnHit, CanCASE, WorksInWater)
VALUES ('TRPA', 'Lancet Torpedoes', 'Torpedo Ammo', 1, 1, 50, 'Ammo', 'IS', 27000, 'TRP2', 'TRP4', 'TRP6', TRUE, TRUE, TRUE);
INSERT INTO Equipment (Code, Name, Abbrev, Weight, Crits, Ammo, Description1, Kind, Era, Cost, Chamber1, Chamber2, Chamber3, Chamber4, Chamber5, Chamber6, Chamber7, Chamber8, Chamber9, Chamber10, Chamber11, Chamber12, Chamber13, Chamber14, Chamber15, Chamber16, Chamber17, Chamber18, Chamber19, Chamber20, Chamber21, Chamber22, Chamber23, Chamber24, Chamber25, Chamber26, Chamber27, Chamber28, Chamber29, Chamber30, Chamber31, Chamber32, ExplodeOnHit, CanCASE, BonusGeneric)
VALUES ('SCAV', 'Field Scavenger Reload', 'Scav Reload', 1, 1, 5, 'Mixed rounds pulled from wrecks. Fits almost anything.', 'Ammo', 'Star League', 500, 'AC2', 'AC5', 'AC10', 'AC20', 'UAC5', 'UAC10', 'LAC2', 'SRM2', 'SRM4', 'SRM6', 'SRM2OS', 'STR2', 'STR4', 'STR6', 'LRM5', 'LRM10', 'LRM15', 'LRM20', 'MRM10', 'MRM20', 'MRM30', 'MRM40', 'RKT10', 'GAUSS', 'HOW1', 'MORT', 'QRL4', 'CRL', 'NARC', 'AMS', 'TRP2', 'TRP4', TRUE, TRUE, -2);
